# SPDX-License-Identifier: GPL-3.0-or-later
# Installs into a temporary prefix and checks what lands there: the program,
# a valid menu entry, icons at every size, valid AppStream metainfo, the
# pedals' udev rule, the manual page, the copyright and the changelog; then
# runs the installed program from a folder it cannot write and looks for the
# bookmark file in the per-user data folder.
#   install.sh BUILD_DIR APP_ID
set -euo pipefail
build=${1:?usage: install.sh BUILD_DIR APP_ID}
id=${2:?usage: install.sh BUILD_DIR APP_ID}
work=$(mktemp -d)
pid=
finish() {
    local rc=$?
    [[ -n $pid ]] && { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
    rm -rf "$work"
    exit $rc
}
trap finish EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
check() { local what=$1; shift; "$@" || fail "$what"; echo "ok: $what"; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
check "the program is installed" test -x "$prefix/bin/murmelvox"
check "the menu entry is installed" test -f "$share/applications/$id.desktop"
check "the menu entry is valid" desktop-file-validate "$share/applications/$id.desktop"
grep -qx 'Categories=AudioVideo;Audio;Player;' "$share/applications/$id.desktop" || fail "menu categories"
grep -q '^MimeType=.*audio/mpeg;.*video/x-ms-wmv;' "$share/applications/$id.desktop" || fail "media types"
grep -qx 'Exec=murmelvox %f' "$share/applications/$id.desktop" || fail "Exec takes one file"
grep -qx 'Exec=murmelvox --open-settings' "$share/applications/$id.desktop" || fail "no Settings action"
echo "ok: categories, media types, one file per launch, a Settings action"
check "the pedals' udev rule is installed" grep -q 'TAG+="uaccess"' "$prefix/lib/udev/rules.d/70-murmelvox-pedals.rules"
check "the metainfo is installed" test -f "$share/metainfo/$id.metainfo.xml"
check "the metainfo is valid" appstreamcli validate --no-net --pedantic "$share/metainfo/$id.metainfo.xml"
check "the scalable icon is installed" test -f "$share/icons/hicolor/scalable/apps/$id.svg"
for size in 16 22 24 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/$id.png
    [[ -f $png ]] || fail "no ${size} px icon"
    # PNG header: width and height are big-endian at bytes 16 and 20.
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }')
    [[ $dims == "${size}x${size}" ]] || fail "the ${size} px icon is $dims"
done
echo "ok: icons at 16 to 256 px"

page=$share/man/man1/murmelvox.1.gz
check "the manual page is installed" test -f "$page"
check "the manual page has a NAME line" lexgrog "$page"
LC_ALL=C man --warnings -l "$page" 2>"$work/man.log" >"$work/man.txt" || fail "man cannot show the manual page"
[[ ! -s $work/man.log ]] || { cat "$work/man.log" >&2; fail "the manual page has warnings"; }
for option in $("$prefix/bin/murmelvox" --help | grep -oE -- '--[a-z-]+' | sort -u) --version; do
    grep -qE -- "(^|[ ,])$option( |,|$)" "$work/man.txt" || fail "the manual page lacks $option"
done
echo "ok: the manual page lists every option --help lists, and --version"
check "the copyright is installed" grep -q '^License: GPL-3+' "$share/doc/murmelvox/copyright"
check "the changelog is installed" test -f "$share/doc/murmelvox/changelog.gz"

# The installed program, run from a folder it cannot write, keeps its
# bookmark file in the per-user data folder. Root may write anywhere, so
# as root the program runs as nobody.
home=$work/home
mkdir -p "$home"
run=()
if [[ $(id -u) == 0 ]]; then
    chown -R root:root "$prefix"
    chown nobody "$home"
    [[ -n ${XAUTHORITY:-} ]] && { cp "$XAUTHORITY" "$work/xauth"; chown nobody "$work/xauth"; export XAUTHORITY=$work/xauth; }
    run=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
else
    chmod a-w "$prefix/bin"
fi
chmod 755 "$work"
"${run[@]}" env HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
    XDG_RUNTIME_DIR= DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" QT_QPA_PLATFORM=xcb \
    "$prefix/bin/murmelvox" >"$work/bar.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
    found=$(find "$home" -name bookmark.ini 2>/dev/null | head -1)
    [[ -n $found ]] && break
    kill -0 "$pid" 2>/dev/null || { cat "$work/bar.log" >&2; fail "the installed program ended"; }
    sleep 0.1
done
[[ -n ${found:-} ]] || { cat "$work/bar.log" >&2; fail "no bookmark file in the per-user data folder"; }
check "no bookmark file next to the program" test ! -e "$prefix/bin/bookmark.ini"
echo "ok: bookmarks in ${found#$home/}"
echo PASS
