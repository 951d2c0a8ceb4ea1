# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package and checks its control data, its contents and
# what lintian finds in it (the install and removal with apt are checked by
# hand: they need a machine of their own).
#   deb.sh BUILD_DIR APP_ID
set -euo pipefail
build=${1:?usage: deb.sh BUILD_DIR APP_ID}
id=${2:?usage: deb.sh BUILD_DIR APP_ID}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$work"/murmelvox_*.deb 2>/dev/null | head -1)
[[ -n $deb ]] || fail "no murmelvox_*.deb"
echo "ok: $(basename "$deb")"

control=$(dpkg-deb -f "$deb")
echo "$control"
[[ $(dpkg-deb -f "$deb" Package) == murmelvox ]] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libmpv2 libqt6widgets6 libqt6dbus6 libxcb1 qt6-qpa-plugins fonts-liberation; do
    [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
echo "ok: depends on the engine, Qt, xcb, the X11 platform plugin and the fonts"

contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for f in ./usr/bin/murmelvox ./usr/share/applications/$id.desktop ./usr/share/metainfo/$id.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/$id.svg ./usr/share/icons/hicolor/48x48/apps/$id.png \
         ./usr/lib/udev/rules.d/70-murmelvox-pedals.rules ./usr/share/man/man1/murmelvox.1.gz \
         ./usr/share/doc/murmelvox/copyright ./usr/share/doc/murmelvox/changelog.gz; do
    grep -qxF "$f" <<<"$contents" || fail "the package lacks $f"
done
if grep -E 'test_|bench|render_icon|bookmark.ini' <<<"$contents"; then
    fail "the package carries build or test files"
fi
echo "ok: contents"

mkdir "$work/root"
dpkg-deb -x "$deb" "$work/root"
zcat "$work/root/usr/share/doc/murmelvox/changelog.gz" >"$work/changelog"
changed=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
[[ $changed == $(dpkg-deb -f "$deb" Version) ]] || fail "the changelog's last entry is $changed"
echo "ok: the changelog's last entry is this version"

# No error and no warning; the info tags left are the build's hardening
# flags and the .comment section cpack's strip keeps.
command -v lintian >/dev/null || fail "no lintian (scripts/install-deps.sh --tests)"
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log" >&2; fail "lintian"; }
echo "ok: lintian"
echo PASS
