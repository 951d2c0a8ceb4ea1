#include "hotkeys/KeyAssignments.h"

#include "hotkeys/HookModule.h"
#include "shell/SettingsStore.h"

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

void LoadKeyAssignments()
{
    FullRewindKey = KeyNameToCode(GetSetting(QStringLiteral("FuR"), QStringLiteral("F4"))).value_or(0);
    FastRewindKey = KeyNameToCode(GetSetting(QStringLiteral("FR"), QStringLiteral("F5"))).value_or(0);
    PlayPauseKey = KeyNameToCode(GetSetting(QStringLiteral("PP"), QStringLiteral("F6"))).value_or(0);
    FastForwardKey = KeyNameToCode(GetSetting(QStringLiteral("FF"), QStringLiteral("F8"))).value_or(0);
    KeyAssignmentsChanged();
}
