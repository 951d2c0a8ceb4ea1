# SPDX-License-Identifier: GPL-3.0-or-later
# The layer check refuses an include of a layer above, and in a display-free
# layer any header of Qt Gui or Qt Widgets, in quotes or angle brackets; it
# accepts Qt Core, a layer below, and display headers where a display is.
# $1: CheckLayersRun.cmake; $2: the Qt Gui and Widgets include folders ("|").
set -euo pipefail
script=$1 display_dirs=$2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
mkdir -p "$work/low" "$work/high"
echo '#pragma once' > "$work/high/Window.h"
echo '#pragma once' > "$work/low/Rule.h"
cat > "$work/low.cmake" <<LIST
set(sources "$work/low/Rule.h;$work/low/Rule.cpp")
set(allowed "$work/low/Rule.h;$work/low/Rule.cpp")
set(layer low)
set(display_free TRUE)
LIST
cat > "$work/high.cmake" <<LIST
set(sources "$work/high/Window.h;$work/high/Window.cpp")
set(allowed "$work/high/Window.h;$work/high/Window.cpp;$work/low/Rule.h")
set(layer high)
LIST
upward="low/Rule.cpp (layer low) includes high/Window.h, which is not in its layer or below"
display="a header of Qt Gui or Qt Widgets, in a layer with no display"
fails=0
# file | include line | what the check must say (empty: accepted)
while IFS='|' read -r file line expected; do
    printf '#include "low/Rule.h"\n' > "$work/low/Rule.cpp"
    printf '#include "low/Rule.h"\n#include <QLabel>\n' > "$work/high/Window.cpp"
    printf '%s\n' "$line" >> "$work/$file"
    rm -f "$work/ok"
    if out=$(cmake "-DLAYER_FILES=$work/low.cmake|$work/high.cmake" -DROOT="$work" "-DDISPLAY_DIRS=$display_dirs" \
                   -DSTAMP="$work/ok" -P "$script" 2>&1); then
        [[ -z $expected && -f $work/ok ]] || { echo "FAIL: $file: $line was accepted"; fails=1; }
    elif [[ -z $expected ]] || ! grep -qF -- "$expected" <<<"$out"; then
        echo "FAIL: $file: $line: expected '${expected:-acceptance}', got: $out"; fails=1
    fi
done <<ROWS
low/Rule.cpp|#include <QString>|
low/Rule.cpp|#include <QtCore/QTimer>|
low/Rule.cpp|#include <QDBusConnection>|
high/Window.cpp|#include <QtWidgets/QPushButton>|
high/Window.cpp|#include "QtGui/QPainter"|
low/Rule.cpp|#include "high/Window.h"|$upward
low/Rule.cpp|#include <high/Window.h>|$upward
low/Rule.cpp|#include <QtWidgets/QLabel>|includes QtWidgets/QLabel, $display
low/Rule.cpp|#include "QtWidgets/QLabel"|includes QtWidgets/QLabel, $display
low/Rule.cpp|#  include <QLabel>|includes QLabel, $display
low/Rule.cpp|#include "QWidget"|includes QWidget, $display
low/Rule.cpp|#include <QtGui/QPainter>|includes QtGui/QPainter, $display
low/Rule.cpp|#include <QImage> // pixels|includes QImage, $display
ROWS
((fails == 0)) && echo PASS
exit $fails
