// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TimestampCommands.h"

#include "rules/SettingsStore.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>

namespace {

const QString NoFile = QStringLiteral("Select a Media File first!");

bool WaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || qgetenv("XDG_SESSION_TYPE") == QByteArrayLiteral("wayland");
}

} // namespace

TimestampCommands::TimestampCommands(Player &player, SettingsStore &settings, QObject *parent)
    : QObject(parent), m_timestamps(player, [&settings] { return LoadTimestampFormat(settings); })
{
}

TimestampCommands::~TimestampCommands()
{
    delete m_box;
}

void TimestampCommands::tell(const QString &text)
{
    if (m_notice) {
        m_notice(text);
        return;
    }
    // One box: a newer notice replaces the text of one still open.
    if (!m_box) {
        m_box = new QMessageBox(QMessageBox::Information, QStringLiteral("Murmelvox"), text, QMessageBox::Ok);
        m_box->setAttribute(Qt::WA_DeleteOnClose);
        m_box->setModal(false);
        // The bar stays on top of everything; the notice must not hide behind it.
        m_box->setWindowFlag(Qt::WindowStaysOnTopHint);
        m_box->setAccessibleName(QStringLiteral("Timestamp"));
    }
    m_box->setText(text);
    m_box->setAccessibleDescription(text);
    m_box->show();
}

void TimestampCommands::copyToClipboard()
{
    const std::optional<QString> text = m_timestamps.current();
    if (!text) {
        tell(NoFile);
        return;
    }
    QGuiApplication::clipboard()->setText(*text);
}

void TimestampCommands::insertIntoFocused()
{
    const std::optional<QString> text = m_timestamps.current();
    if (!text) {
        tell(NoFile);
        return;
    }
    m_typist.type(*text, [this, text = *text](X11Typist::Outcome outcome) { typed(outcome, text); });
}

void TimestampCommands::typed(X11Typist::Outcome outcome, const QString &text)
{
    switch (outcome) {
    case X11Typist::Outcome::Typed:
        return;
    case X11Typist::Outcome::NoDisplay:
    case X11Typist::Outcome::NoFocus:
        if (WaylandSession()) {
            // A Wayland application cannot be typed into from here; the
            // clipboard reaches it.
            QGuiApplication::clipboard()->setText(text);
            if (!std::exchange(m_toldToPaste, true))
                tell(QStringLiteral("The timestamp %1 is on the clipboard: paste it into your document "
                                    "(Ctrl+V). Timestamps will go onto the clipboard this way from now on, "
                                    "without this notice.").arg(text));
            return;
        }
        tell(QStringLiteral("No window has the keyboard focus, so the timestamp %1 was not typed. "
                            "Click into your document and try again.").arg(text));
        return;
    case X11Typist::Outcome::NotOnKeyboard:
        QGuiApplication::clipboard()->setText(text);
        tell(QStringLiteral("The timestamp %1 has characters the keyboard layout cannot type; it is on the "
                            "clipboard to paste instead.").arg(text));
        return;
    case X11Typist::Outcome::ModifierHeld:
        tell(QStringLiteral("A modifier key (Shift, Ctrl, Alt or the like) was held down, so the timestamp %1 "
                            "was not typed. Let go of it and try again.").arg(text));
        return;
    }
}

void TimestampCommands::goToSelected()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    QString text = clipboard->supportsSelection() ? clipboard->text(QClipboard::Selection) : QString();
    if (text.trimmed().isEmpty()) {
        const QMimeData *data = clipboard->mimeData();
        if (data && data->hasImage() && !data->hasText()) {
            tell(QStringLiteral("The clipboard holds a picture, not a timestamp. Select a timestamp such as "
                                "%1 in your document first.").arg(FormatTimestamp(754, {})));
            return;
        }
        text = clipboard->text();
    }
    if (text.trimmed().isEmpty()) {
        tell(QStringLiteral("Nothing is selected and the clipboard is empty. Select a timestamp such as %1 "
                            "in your document first.").arg(FormatTimestamp(754, {})));
        return;
    }
    if (const QString refused = m_timestamps.goTo(text); !refused.isEmpty())
        tell(refused);
}
