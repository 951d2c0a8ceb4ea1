# SPDX-License-Identifier: GPL-3.0-or-later
# A display-free layer that links Qt Gui or Widgets, even through another
# target, is refused at configure time; one whose objects use a Qt Gui symbol
# declared by hand fails to build; a clean one builds.
# $1: the project's cmake/ folder; $2: the C++ compiler.
set -euo pipefail
checks=$1 compiler=$2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src/low" "$work/src/high"
printf '#include <QPushButton>\nvoid window() { QPushButton button; }\n' > "$work/src/high/Window.cpp"
fails=0
# case | what the low layer links | its source | the step that must fail | what it must say (&: and)
while IFS='|' read -r name links source step expected; do
    printf '%b\n' "$source" > "$work/src/low/Rule.cpp"
    cat > "$work/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.22)
project(layers LANGUAGES CXX)
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets)
include("$checks/CheckLayers.cmake")
add_library(widgets_helper INTERFACE)
target_link_libraries(widgets_helper INTERFACE Qt6::Widgets)
add_library(murmelvox_low STATIC src/low/Rule.cpp)
target_link_libraries(murmelvox_low PUBLIC $links)
add_library(murmelvox_high STATIC src/high/Window.cpp)
target_link_libraries(murmelvox_high PUBLIC murmelvox_low Qt6::Widgets)
murmelvox_check_layers(low high DISPLAY_FREE low)
CMAKE
    rm -rf "$work/build"
    failed=none
    if ! out=$(cmake -S "$work" -B "$work/build" -G Ninja -DCMAKE_CXX_COMPILER="$compiler" 2>&1); then
        failed=configure
    elif ! out=$(cmake --build "$work/build" 2>&1); then
        failed=build
    fi
    if [[ $failed != "$step" ]]; then
        echo "FAIL: $name: expected $step to fail, $failed failed: $out"; fails=1
    else
        IFS='&' read -ra fragments <<<"$expected"
        for fragment in "${fragments[@]}"; do
            grep -qF -- "$fragment" <<<"$out" || { echo "FAIL: $name: no '$fragment' in: $out"; fails=1; }
        done
    fi
done <<ROWS
clean|Qt6::Core|#include <QString>\nint rule() { return QString("ab").size(); }|none|
links Widgets through a helper|Qt6::Core widgets_helper|int rule() { return 1; }|configure|layer low has no display but links Qt Gui or Widgets: murmelvox_low -> widgets_helper -> Qt6::Widgets
hand-declared Gui function|Qt6::Core|void qt_set_sequence_auto_mnemonic(bool);\nvoid rule() { qt_set_sequence_auto_mnemonic(true); }|build|layer low does not link on its own&  qt_set_sequence_auto_mnemonic(bool)
ROWS
((fails == 0)) && echo PASS
exit $fails
