// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/SettingsStore.h"
#include "ui/Controls.h"

#include <QWidget>
#include <memory>

class BookmarksView;
class FootPedals;
class KeysAndHelpView;
class PitchView;
class PositionDisplay;
class QMimeData;
class QPropertyAnimation;
class Resumer;
class QSystemTrayIcon;
class SeekBar;
class Player;
class HotKeys;
class GlobalHotKeys;
class TransportView;
class WindCountView;
class WindowButtonsView;

// The bar: a borderless strip at the top of the screen with a lower panel
// that slides out beneath it. Its areas are views that own their controls
// (transport, window buttons, position display, pitch, wind count,
// bookmarks, keys and help); the bar lays them out, stacks them and keeps
// what is the window's own: opening, the panel's motion and the exit.
class Bar : public QWidget
{
    Q_OBJECT
public:
    explicit Bar(QWidget *parent = nullptr);
    ~Bar() override;

    // The commands every input acts through.
    Player &player() const { return *m_player; }
    // The hot-key rules on the player, and the keys taken desktop-wide for
    // those rules.
    HotKeys &hotKeys() const { return *m_hotKeys; }
    GlobalHotKeys &globalHotKeys() const { return *m_globalHotKeys; }

    // The tray icon, present from start-up until the exit button.
    void setTrayIcon(std::unique_ptr<QSystemTrayIcon> icon);
    QSystemTrayIcon *trayIcon() const { return m_trayIcon.get(); }

    // The dialog the open button asks for a file with.
    void setOpenDialog(std::unique_ptr<OpenDialog> dialog);
    const OpenDialog &openDialog() const { return *m_openDialog; }

    // True once the panel has slid all the way out, until it has slid all
    // the way back in.
    bool isExpanded() const { return m_expanded; }
    // Shows the panel at once, without the motion.
    void expandAtOnce();

    // The wind keys jump this many seconds.
    double windStep() const;

    // Window load handler (start-up steps L1 to L7). startup runs it right
    // after constructing the window; tests may construct without it.
    void load();

    // Shell
    void exitProgram();
    void togglePanel();

    // Opening
    void chooseFile();
    void openDroppedFile(const QMimeData *Data);

    // The bar's areas.
    TransportView &transport() { return *m_transport; }
    PositionDisplay &positionDisplay() { return *m_positionDisplay; }
    PitchView &pitch() { return *m_pitch; }
    WindCountView &windCount() { return *m_windCount; }
    // The bookmark area, whose file start-up chooses.
    BookmarksView &bookmarks() { return *m_bookmarks; }

    // Each file resuming where it was left.
    Resumer &resumer() { return *m_resumer; }

    // The foot pedals, which start-up starts after the first paint.
    FootPedals &pedals() { return *m_pedals; }

    // The settings store the bar and its dialogs read and write.
    SettingsStore &settings() { return m_settings; }

public slots:
    // Opens the settings window, or brings it to the front.
    void showSettings();

signals:
    // The exit's last call before the process ends, for what lies outside
    // the bar (its names on the session bus).
    void exiting();

private:
    SettingsStore m_settings;
    Player *m_player = nullptr;
    SeekBar *m_seekBar = nullptr;
    HotKeys *m_hotKeys = nullptr;
    GlobalHotKeys *m_globalHotKeys = nullptr;
    std::unique_ptr<QSystemTrayIcon> m_trayIcon;
    std::unique_ptr<OpenDialog> m_openDialog;

    TransportView *m_transport = nullptr;
    WindowButtonsView *m_windowButtons = nullptr;
    PositionDisplay *m_positionDisplay = nullptr;
    PitchView *m_pitch = nullptr;
    WindCountView *m_windCount = nullptr;
    BookmarksView *m_bookmarks = nullptr;
    FootPedals *m_pedals = nullptr;
    Resumer *m_resumer = nullptr;
    KeysAndHelpView *m_keysAndHelp = nullptr;

    QWidget *m_stripEdge = nullptr;
    ImageButton *m_panel = nullptr;
    QWidget *m_pitchMark = nullptr;
    QWidget *m_windCountMark = nullptr;

    void layOutStrip();
    void layOutPanel();
    void panelMotionEnded();

    // The window's height sliding between collapsed and expanded.
    QPropertyAnimation *m_panelMotion = nullptr;
    bool m_expanded = false;
    bool m_clickedWhileCollapsing = false;
};
