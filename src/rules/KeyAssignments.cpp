// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/KeyAssignments.h"

#include "rules/HotKeyActions.h"
#include "rules/SettingsStore.h"

std::optional<std::int32_t> KeyNameToCode(const QString &name)
{
    std::optional<std::int32_t> code;
    for (int n = 1; n <= 12; ++n) {
        if (name == QLatin1Char('F') + QString::number(n))
            code = n + 111;
    }
    return code;
}

QString KeyCodeToName(std::int32_t code)
{
    if (code < VK_F1 || code > VK_F12)
        return {};
    return QLatin1Char('F') + QString::number(code - 111);
}

KeyBindings LoadKeyAssignments()
{
    KeyBindings keys{};
    for (const HotKeyActionInfo &info : HotKeyActions) {
        const QString name = GetSetting(QString::fromLatin1(info.settingsKey), QString::fromLatin1(info.defaultKey));
        keys[std::size_t(info.action)] = KeyNameToCode(name).value_or(0);
    }
    return keys;
}
