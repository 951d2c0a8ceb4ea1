// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/KeySource.h"

#include "portal/GlobalShortcutsPortal.h"
#include "hotkeys/portal/PortalKeySource.h"
#include "hotkeys/x11/X11KeySource.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcHotKeys, "murmelvox.hotkeys")

namespace {

// A desktop that does not answer in this time has no portal worth waiting
// for; meanwhile the keys wait, as they would for an answer.
constexpr int PortalProbeTimeoutMs = 2000;

} // namespace

KeySourceChoice ChooseKeySource(const QByteArray &wanted, bool wayland,
                                const std::function<bool()> &portalOffersShortcuts)
{
    if (wanted == "none")
        return {KeySourceKind::None, false};
    if (wanted == "x11")
        return {KeySourceKind::X11, false};
    if (wanted == "portal")
        return {KeySourceKind::Portal, false};
    if (!wanted.isEmpty())
        qCWarning(lcHotKeys, "MURMELVOX_HOTKEYS=%s is not a key source (x11, portal, none); choosing as usual",
                  wanted.constData());
    if (!wayland)
        return {KeySourceKind::X11, false};
    if (portalOffersShortcuts())
        return {KeySourceKind::Portal, false};
    return {KeySourceKind::X11, true};
}

bool IsWaylandSession()
{
    return qgetenv("XDG_SESSION_TYPE").trimmed().toLower() == "wayland" || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

std::unique_ptr<KeySource> CreateX11KeySource()
{
    if (std::unique_ptr<X11KeySource> x11 = X11KeySource::create())
        return x11;
    return std::make_unique<NullKeySource>();
}

std::unique_ptr<KeySource> CreatePortalKeySource()
{
    return std::make_unique<PortalKeySource>(QDBusConnection::sessionBus());
}

namespace {

CreatedKeySource CreateChosen(const KeySourceChoice &choice)
{
    switch (choice.kind) {
    case KeySourceKind::None:
        qCInfo(lcHotKeys, "hot keys switched off");
        return {std::make_unique<NullKeySource>(), false};
    case KeySourceKind::Portal:
        qCInfo(lcHotKeys, "hot keys from the desktop portal's global shortcuts");
        return {CreatePortalKeySource(), false};
    case KeySourceKind::X11:
        break;
    }
    return {CreateX11KeySource(), choice.x11OnWayland};
}

} // namespace

void CreateKeySource(QObject *context, std::function<void(CreatedKeySource created)> ready)
{
    const bool wayland = IsWaylandSession();
    bool portalDecides = false;
    const KeySourceChoice choice = ChooseKeySource(qgetenv("MURMELVOX_HOTKEYS").trimmed().toLower(), wayland,
                                                   [&portalDecides] {
        portalDecides = true;
        return false;
    });
    if (!portalDecides) {
        ready(CreateChosen(choice));
        return;
    }
    // Only an empty or unknown MURMELVOX_HOTKEYS leaves the choice to the
    // portal; unknown was warned about already.
    GlobalShortcutsPortal::probeVersion(QDBusConnection::sessionBus(), PortalProbeTimeoutMs, context,
                                        [wayland, ready = std::move(ready)](uint version) {
        ready(CreateChosen(ChooseKeySource({}, wayland, [version] { return version >= 1; })));
    });
}
