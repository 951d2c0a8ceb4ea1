// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class GlobalHotKeys;

// Shows the hot keys' notices (keys another program holds) in a box that
// stays on top and does not block the bar.
void ShowHotKeyNotices(GlobalHotKeys &globalHotKeys);
