# SPDX-License-Identifier: GPL-3.0-or-later
# The bar read through AT-SPI, under Xvfb and a private session bus.
source "$(dirname "$0")/lib.sh"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
start_bar bar "$MEDIA/tone.wav"
check "the bar appears on the session bus" wait_until 20 on_bus
/usr/bin/python3 "$(dirname "$0")/atspi.py" || fail "AT-SPI check"
# The accessibility bus started for this session ends with it.
