// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/SettingsStore.h"
#include "ui/Controls.h"

#include <QWidget>
#include <memory>

class BookmarksView;
class FootPedals;
class KeysAndHelpView;
class QFrame;
class QLabel;
class QMimeData;
class QPropertyAnimation;
class QSystemTrayIcon;
class QTimer;
class SeekBar;
class Player;
class HotKeys;
class GlobalHotKeys;
struct TransportLook;

// The bar: a borderless strip at the top of the screen with a lower panel
// that slides out beneath it. The constructor lays out every control; the
// handlers live with the subsystem they belong to (transport, opening,
// position display, pitch, wind count, bookmarks, keys, help).
class Bar : public QWidget
{
    Q_OBJECT
public:
    explicit Bar(QWidget *parent = nullptr);
    ~Bar() override;

    // Top strip
    QFrame *transportFrame = nullptr;
    QFrame *windowButtonsFrame = nullptr;
    ImageButton *playButton = nullptr; // play
    ImageButton *pauseButton = nullptr; // pause
    ImageButton *stopButton = nullptr; // stop
    ImageButton *exitButton = nullptr; // exit
    ImageButton *openButton = nullptr; // open
    ImageButton *panelButton = nullptr; // expand/collapse
    QLabel *fileLabel = nullptr;       // file name
    ClickLabel *timeLabel = nullptr;   // time
    QWidget *stripEdge = nullptr;

    // Lower panel
    ImageButton *panel = nullptr;
    QLabel *positionCaption = nullptr;       // "Current Position:"
    QLabel *positionLabel = nullptr;       // position in seconds
    QLabel *pitchLabel = nullptr;       // pitch caption
    ClickLabel *pitchDown = nullptr;   // pitch down
    TrackSlider *pitchTrack = nullptr; // pitch track
    ClickLabel *pitchUp = nullptr;   // pitch up
    QLabel *windLabel = nullptr;       // wind count caption
    TrackSlider *windTrack = nullptr; // wind count track
    QWidget *panelRule = nullptr;
    QWidget *bookmarkRule = nullptr;

    // The commands every input acts through, the hot-key rules on them, and
    // the keys taken desktop-wide for those rules.
    Player *player = nullptr;
    HotKeys *hotKeys = nullptr;
    GlobalHotKeys *globalHotKeys = nullptr;

    // The tray icon, present from start-up until the exit button.
    std::unique_ptr<QSystemTrayIcon> trayIcon;

    QTimer *positionTimer = nullptr;
    std::unique_ptr<OpenDialog> openDialog;

    // True once the panel has slid all the way out, until it has slid all
    // the way back in.
    bool Expanded = false;
    // Whether the time label shows the time played (or the time left).
    bool showElapsed = true;
    // Twips along the wind-count track; the wind keys jump windStep() seconds.
    float windCount = 0;
    double windStep() const;

    // Shows a look on Play, Pause and Stop.
    void showTransportLook(const TransportLook &look);

    // Window load handler (start-up steps L1 to L7). startup runs it right
    // after constructing the window; tests may construct without it.
    void load();

    // Shell
    void exitProgram();
    void togglePanel();

    // Transport
    void startPlaying();
    void pausePlaying();
    void stopPlaying();
    void playButtonDown();
    void playButtonUp();
    void pauseButtonDown();
    void pauseButtonUp();
    void stopButtonDown();
    void stopButtonUp();
    void exitButtonDown();
    void exitButtonUp();
    void openButtonDown();
    void openButtonUp();
    void panelButtonDown();
    void panelButtonUp();

    // Opening
    void chooseFile();
    void openDroppedFile(const QMimeData *Data);
    void showOpenedFile(const QString &path, bool opened);

    // Position display
    void showPosition();
    void toggleTimeShown();

    // Pitch
    void stepPitchDown();
    void stepPitchUp();
    // A press or left drag on the pitch track, `twips` from its left edge.
    void setPitchAt(float twips);
    void resetPitch();

    // Wind count
    // A press or left drag on the wind-count track, `twips` from its left edge.
    void setWindCountAt(float twips);
    // Sets, shows and stores a wind count the track holds.
    void setWindCount(float count);
    void resetWindCount();

    // The bookmark area, whose file start-up chooses.
    BookmarksView &bookmarks() { return *m_bookmarks; }

    void showRate(double rate);

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
    SeekBar *m_seekBar = nullptr;
    BookmarksView *m_bookmarks = nullptr;
    FootPedals *m_pedals = nullptr;
    KeysAndHelpView *m_keysAndHelp = nullptr;

    // The position the player last pushed, as the labels show it.
    double m_shownPosition = 0;
    void followPosition();

    void setRateFromPanel(double rate);
    void showPitch(double rate);
    bool m_rateFromPanel = false;

    void layOutStrip();
    void layOutPanel();
    void connectHandlers();
    void panelMotionEnded();

    // The window's height sliding between collapsed and expanded.
    QPropertyAnimation *m_panelMotion = nullptr;
    bool m_clickedWhileCollapsing = false;
};
