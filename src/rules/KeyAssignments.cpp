// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/KeyAssignments.h"

#include "rules/HotKeyActions.h"
#include "rules/SettingsStore.h"

FunctionKey FunctionKeyAt(int offset)
{
    if (offset < 0 || offset > OffsetOf(FunctionKey::F12))
        return FunctionKey::None;
    return FunctionKey(std::int32_t(FunctionKey::F1) + offset);
}

int OffsetOf(FunctionKey key)
{
    const std::int32_t offset = std::int32_t(key) - std::int32_t(FunctionKey::F1);
    return key == FunctionKey::None || offset < 0 || key > FunctionKey::F12 ? -1 : offset;
}

std::optional<FunctionKey> FunctionKeyNamed(const QString &name)
{
    for (int n = 1; n <= 12; ++n) {
        if (name == QLatin1Char('F') + QString::number(n))
            return FunctionKeyAt(n - 1);
    }
    return std::nullopt;
}

QString NameOf(FunctionKey key)
{
    const int offset = OffsetOf(key);
    return offset < 0 ? QString() : QLatin1Char('F') + QString::number(offset + 1);
}

KeyBindings LoadKeyAssignments(const SettingsStore &settings)
{
    KeyBindings keys{};
    for (const HotKeyActionInfo &info : HotKeyActions) {
        const QString name = settings.value(QString::fromLatin1(info.settingsKey), QString::fromLatin1(info.defaultKey));
        keys[std::size_t(info.action)] = FunctionKeyNamed(name).value_or(FunctionKey::None);
    }
    return keys;
}
