// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Bar.h"

#include "hotkeys/GlobalHotKeys.h"
#include "hotkeys/HotKeys.h"
#include "engine/MpvEngine.h"
#include "engine/Player.h"
#include "rules/Sliders.h"
#include "ui/BarWindow.h"
#include "ui/BookmarksView.h"
#include "ui/FootPedals.h"
#include "ui/KeysAndHelpView.h"
#include "ui/PanelLayout.h"
#include "ui/SeekBar.h"
#include "ui/Startup.h"
#include "ui/TrayIcon.h"
#include "ui/Pictures.h"

#include <QFrame>
#include <QLabel>
#include <QMimeData>
#include <QPropertyAnimation>
#include <QTimer>

namespace {

// A frame without border or caption, filled with its background colour.
QFrame *PlainFrame(QWidget *parent, const QColor &background)
{
    auto *frame = new QFrame(parent);
    frame->setFrameShape(QFrame::NoFrame);
    frame->setAutoFillBackground(true);
    SetColour(frame, QPalette::Window, background);
    return frame;
}

// A straight line drawn on its container: vertical or horizontal, `width`
// pixels thick, centred on the given twip coordinate.
QWidget *DrawnLine(QWidget *parent, int x1, int y1, int x2, int y2, int width, const QColor &colour)
{
    auto *line = new QWidget(parent);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->setAutoFillBackground(true);
    SetColour(line, QPalette::Window, colour);
    const int left = Px(std::min(x1, x2)), top = Px(std::min(y1, y2));
    if (x1 == x2)
        line->setGeometry(left - width / 2, top, width, Px(std::max(y1, y2)) - top + 1);
    else
        line->setGeometry(left, top - width / 2, Px(std::max(x1, x2)) - left + 1, width);
    return line;
}

} // namespace

Bar::Bar(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Bar"));
    setWindowTitle(QStringLiteral("Murmelvox - Kelvaro"));
    setAccessibleName(QStringLiteral("Murmelvox"));
    // Controls without a font of their own use the layout's default face.
    setFont(LayoutFont(SansSerif, 8.25));
    setAutoFillBackground(true);
    setAcceptDrops(false);
    resize(Px(5310), Px(2640));

    layOutStrip();
    layOutPanel();

    // Stacking, front to back: the panel, the two button frames, the player,
    // whose lower part stays hidden behind the panel in both states.
    m_seekBar->raise();
    windowButtonsFrame->raise();
    transportFrame->raise();
    panel->raise();

    // Tab order as the layout's tab indexes give it.
    QList<QWidget *> tabOrder = {m_seekBar, playButton, pauseButton, stopButton, openButton, panelButton, exitButton,
                                 pitchTrack, pitchDown, pitchUp};
    tabOrder << m_bookmarks->tabOrder() << windTrack << m_keysAndHelp->tabOrder();
    for (qsizetype i = 0; i + 1 < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i], tabOrder[i + 1]);

    positionTimer = new QTimer(this);
    positionTimer->setObjectName(QStringLiteral("positionTimer"));
    positionTimer->setInterval(100);

    openDialog = std::make_unique<OpenDialog>();

    m_panelMotion = new QPropertyAnimation(this, "size", this);
    m_panelMotion->setDuration(PanelMotionMs);

    connectHandlers();
    positionTimer->start();
}

Bar::~Bar() = default;

void Bar::layOutStrip()
{
    transportFrame = PlainFrame(this, QColor(192, 192, 192));
    transportFrame->setObjectName(QStringLiteral("transportFrame"));
    transportFrame->setAccessibleName(QStringLiteral("Transport buttons"));
    PlaceTwips(transportFrame, 360, 0, 615, 255);

    windowButtonsFrame = PlainFrame(this, QColor(192, 192, 192));
    windowButtonsFrame->setObjectName(QStringLiteral("windowButtonsFrame"));
    windowButtonsFrame->setAccessibleName(QStringLiteral("Window buttons"));
    PlaceTwips(windowButtonsFrame, 4035, 30, 855, 200);

    struct Button { ImageButton *&box; const char *name; QWidget *frame; int left, top; ButtonImage image; const char *role; };
    const Button buttons[] = {
        {playButton, "playButton", transportFrame, 0, 50, ButtonImage::PlayUp, "Play"},
        {pauseButton, "pauseButton", transportFrame, 210, 50, ButtonImage::PauseUp, "Pause"},
        {stopButton, "stopButton", transportFrame, 400, 50, ButtonImage::StopUp, "Stop"},
        {openButton, "openButton", windowButtonsFrame, 0, 0, ButtonImage::OpenUp, "Open a media file"},
        {panelButton, "panelButton", windowButtonsFrame, 270, 0, ButtonImage::PanelUp, "Show or hide the panel"},
        {exitButton, "exitButton", windowButtonsFrame, 600, 0, ButtonImage::ExitUp, "Exit Murmelvox"},
    };
    for (const Button &b : buttons) {
        b.box = new ImageButton(b.frame);
        b.box->setObjectName(QLatin1String(b.name));
        b.box->setAccessibleName(QLatin1String(b.role));
        b.box->setImage(b.image);
        b.box->move(Px(b.left), Px(b.top));
    }

    player = new Player(std::make_unique<MpvEngine>(), [this] { return windStep(); }, this);
    m_seekBar = new SeekBar(*player, this);
    hotKeys = new HotKeys(*player, this);
    globalHotKeys = new GlobalHotKeys(this);
    m_pedals = new FootPedals(*player, m_settings, this);
    m_seekBar->setObjectName(QStringLiteral("mediaControl"));
    PlaceTwips(m_seekBar, 1000, 0, 2010, 645);

    fileLabel = TransparentLabel<QLabel>(this, QString());
    fileLabel->setObjectName(QStringLiteral("fileLabel"));
    fileLabel->setAccessibleName(QStringLiteral("File name"));
    fileLabel->setFont(LayoutFont(SansSerif, 6.75));
    SetColour(fileLabel, QPalette::WindowText, Qt::black);
    PlaceTwips(fileLabel, 3000, -30, 975, 255);

    timeLabel = TransparentLabel<ClickLabel>(this, QString());
    timeLabel->setObjectName(QStringLiteral("timeLabel"));
    timeLabel->setAccessibleName(QStringLiteral("Time"));
    timeLabel->setFont(LayoutFont(SansSerif, 6.75));
    SetColour(timeLabel, QPalette::WindowText, QColor(64, 0, 0));
    PlaceTwips(timeLabel, 3000, 90, 975, 255);

    stripEdge = DrawnLine(this, 5400, 260, 0, 260, 1, palette().color(QPalette::WindowText));
    stripEdge->setObjectName(QStringLiteral("stripEdge"));
    stripEdge->setAccessibleName(QStringLiteral("Strip edge"));

    for (QWidget *w : {static_cast<QWidget *>(fileLabel), static_cast<QWidget *>(timeLabel), stripEdge})
        w->lower();
}

void Bar::layOutPanel()
{
    panel = new ImageButton(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setAccessibleName(QStringLiteral("Panel"));
    panel->setAccessibleDescription(QStringLiteral("Drop a media file here to open it"));
    panel->setPicture(ResourcePicture(QStringLiteral(":/images/panel.gif")));
    panel->setFocusPolicy(Qt::NoFocus);
    panel->move(0, Px(270));
    panel->setAcceptsFileDrops(true);

    const QColor captionColour = palette().color(QPalette::HighlightedText);
    auto caption = [&](QLabel *&label, const char *name, const QString &text, int l, int t, int w, int h) {
        label = TransparentLabel<QLabel>(panel, text);
        label->setObjectName(QLatin1String(name));
        label->setFont(LayoutFont(Narrow, 8.25));
        SetColour(label, QPalette::WindowText, captionColour);
        PlaceTwips(label, l, t, w, h);
    };
    caption(positionCaption, "positionCaption", QStringLiteral("Current Position:"), 120, 20, 1095, 255);
    caption(positionLabel, "positionLabel", QString(), 1200, 20, 615, 255);
    caption(pitchLabel, "pitchLabel", QStringLiteral("Pitch"), 120, 360, 735, 255);
    caption(windLabel, "windLabel", QStringLiteral("Wind Count"), 120, 600, 975, 255);
    positionCaption->setAccessibleName(QStringLiteral("Current Position:"));
    positionLabel->setAccessibleName(QStringLiteral("Position in seconds"));
    pitchLabel->setAccessibleName(QStringLiteral("Pitch"));
    windLabel->setAccessibleName(QStringLiteral("Wind Count"));

    // The two pitch glyphs: a down and an up triangle, small enough for
    // their 9-pixel boxes.
    auto glyph = [&](ClickLabel *&label, const char *name, const QString &text, const char *role, int left) {
        label = TransparentLabel<ClickLabel>(panel, text);
        label->setObjectName(QLatin1String(name));
        label->setAccessibleName(QLatin1String(role));
        label->setFont(LayoutFont(SansSerif, 6));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setFocusPolicy(Qt::TabFocus);
        label->setCursor(Qt::PointingHandCursor);
        PlaceTwips(label, left, 360, 135, 255);
    };
    glyph(pitchDown, "pitchDown", QStringLiteral("\u25BC"), "Pitch down", 840);
    glyph(pitchUp, "pitchUp", QStringLiteral("\u25B2"), "Pitch up", 2925);

    // A press at or past a track's right end fills it whole.
    pitchTrack = new TrackSlider(panel, 2000, 135, QColor(64, 64, 64));
    pitchTrack->setRange(int(TrackFirstLine), TrackFill(PlanPitch(PitchTrackWidth).lines));
    pitchTrack->setObjectName(QStringLiteral("pitchTrack"));
    pitchTrack->setAccessibleName(QStringLiteral("Pitch"));
    pitchTrack->move(Px(960), Px(420));

    windTrack = new TrackSlider(panel, 1635, 135, QColor(64, 64, 64));
    windTrack->setRange(int(TrackFirstLine), TrackFill(PlanWindCount(MaxWindCount).lines));
    windTrack->setObjectName(QStringLiteral("windTrack"));
    windTrack->setAccessibleName(QStringLiteral("Wind Count"));
    windTrack->move(Px(1320), Px(660));

    m_bookmarks = new BookmarksView(panel, *player);

    m_keysAndHelp = new KeysAndHelpView(panel, this, *globalHotKeys, m_settings);

    // Tick marks at rate 1 and at the default wind count: lines behind the
    // tracks, so only their ends above and below each track show.
    panelRule = DrawnLine(panel, 1965, 360, 1965, 600, 2, Qt::black);
    panelRule->setObjectName(QStringLiteral("panelRule"));
    panelRule->setAccessibleName(QStringLiteral("Pitch 1 mark"));
    bookmarkRule = DrawnLine(panel, 1850, 600, 1850, 840, 2, Qt::black);
    bookmarkRule->setObjectName(QStringLiteral("bookmarkRule"));
    bookmarkRule->setAccessibleName(QStringLiteral("Wind count mark"));

    QList<QWidget *> backdrop = {positionCaption, positionLabel, pitchLabel, pitchDown, pitchUp, windLabel};
    backdrop << m_bookmarks->backdrop() << m_keysAndHelp->backdrop() << panelRule << bookmarkRule;
    for (QWidget *w : std::as_const(backdrop))
        w->lower();
}

void Bar::connectHandlers()
{
    struct Wiring {
        ImageButton *box;
        void (Bar::*click)();
        void (Bar::*down)();
        void (Bar::*up)();
    };
    const Wiring wiring[] = {
        {playButton, &Bar::startPlaying, &Bar::playButtonDown, &Bar::playButtonUp},
        {pauseButton, &Bar::pausePlaying, &Bar::pauseButtonDown, &Bar::pauseButtonUp},
        {stopButton, &Bar::stopPlaying, &Bar::stopButtonDown, &Bar::stopButtonUp},
        {exitButton, &Bar::exitProgram, &Bar::exitButtonDown, &Bar::exitButtonUp},
        {openButton, &Bar::chooseFile, &Bar::openButtonDown, &Bar::openButtonUp},
        {panelButton, &Bar::togglePanel, &Bar::panelButtonDown, &Bar::panelButtonUp},
    };
    for (const Wiring &w : wiring) {
        connect(w.box, &ImageButton::pressed, this, w.down);
        connect(w.box, &ImageButton::released, this, w.up);
        connect(w.box, &ImageButton::clicked, this, w.click);
    }
    connect(panel, &ImageButton::filesDropped, this, &Bar::openDroppedFile);

    connect(m_panelMotion, &QPropertyAnimation::finished, this, &Bar::panelMotionEnded);

    followPosition();
    connect(player, &Player::lookChanged, this, &Bar::showTransportLook);
    connect(player, &Player::fileChanged, this, &Bar::showOpenedFile);
    connect(player, &Player::rateChanged, this, &Bar::showRate);
    connect(timeLabel, &ClickLabel::doubleClicked, this, &Bar::toggleTimeShown);

    connect(pitchDown, &ClickLabel::clicked, this, &Bar::stepPitchDown);
    connect(pitchUp, &ClickLabel::clicked, this, &Bar::stepPitchUp);
    connect(pitchTrack, &TrackSlider::pressedAt, this, &Bar::setPitchAt);
    connect(pitchTrack, &TrackSlider::draggedTo, this, &Bar::setPitchAt);
    connect(pitchTrack, &TrackSlider::doubleClicked, this, &Bar::resetPitch);
    // Arrow keys on the pitch track act as the two glyphs.
    connect(pitchTrack, &TrackSlider::stepped, this, [this](int direction) {
        if (direction < 0)
            stepPitchDown();
        else
            stepPitchUp();
    });

    connect(windTrack, &TrackSlider::pressedAt, this, &Bar::setWindCountAt);
    connect(windTrack, &TrackSlider::draggedTo, this, &Bar::setWindCountAt);
    connect(windTrack, &TrackSlider::doubleClicked, this, &Bar::resetWindCount);
    // Arrow keys on the wind-count track wind one second more or less: 150
    // twips, one wind step.
    connect(windTrack, &TrackSlider::stepped, this, [this](int direction) {
        setWindCountAt(windCount + 150.0f * float(direction));
    });

}

double Bar::windStep() const
{
    return WindStepOf(windCount);
}

void Bar::showSettings()
{
    m_pedals->showSettings();
}
