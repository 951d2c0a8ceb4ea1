# SPDX-License-Identifier: GPL-3.0-or-later
# The layer check refuses an include of a layer above and accepts one below.
set -euo pipefail
script=$1
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
mkdir -p "$work/low" "$work/high"
echo '#pragma once' > "$work/high/Window.h"
echo '#pragma once' > "$work/low/Rule.h"
printf '#include "low/Rule.h"\n' > "$work/low/Rule.cpp"
printf '#include "low/Rule.h"\n#include "high/Window.h"\n' > "$work/low/Bad.cpp"
cat > "$work/low.cmake" <<LIST
set(sources "$work/low/Rule.h;$work/low/Rule.cpp")
set(allowed "$work/low/Rule.h;$work/low/Rule.cpp")
set(layer low)
LIST
cat > "$work/high.cmake" <<LIST
set(sources "$work/high/Window.h")
set(allowed "$work/high/Window.h;$work/low/Rule.h")
set(layer high)
LIST
cmake "-DLAYER_FILES=$work/low.cmake|$work/high.cmake" -DROOT="$work" -DSTAMP="$work/ok" -P "$script"
[[ -f $work/ok ]] || { echo "FAIL: a clean tree was refused"; exit 1; }
sed -i "s#Rule.cpp\")#Rule.cpp;$work/low/Bad.cpp\")#" "$work/low.cmake"
if out=$(cmake "-DLAYER_FILES=$work/low.cmake|$work/high.cmake" -DROOT="$work" -DSTAMP="$work/ok2" -P "$script" 2>&1); then
    echo "FAIL: an upward include was accepted"; exit 1
fi
grep -q "low/Bad.cpp (layer low) includes high/Window.h" <<<"$out" || { echo "FAIL: unclear message: $out"; exit 1; }
echo PASS
