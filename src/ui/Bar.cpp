// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Bar.h"

#include "hotkeys/GlobalHotKeys.h"
#include "hotkeys/HotKeys.h"
#include "engine/AudioControls.h"
#include "engine/MpvEngine.h"
#include "engine/Player.h"
#include "engine/Resumer.h"
#include "ui/BarWindow.h"
#include "ui/BookmarksView.h"
#include "ui/FootPedals.h"
#include "ui/KeysAndHelpView.h"
#include "ui/PanelLayout.h"
#include "ui/PitchView.h"
#include "ui/PositionDisplay.h"
#include "ui/SeekBar.h"
#include "ui/Startup.h"
#include "ui/TrayIcon.h"
#include "ui/TransportView.h"
#include "ui/Pictures.h"
#include "ui/WindCountView.h"
#include "ui/WindowButtonsView.h"

#include <QMimeData>
#include <QPropertyAnimation>

namespace {

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
    m_windowButtons->raise();
    m_transport->raise();
    m_panel->raise();

    // Tab order as the layout's tab indexes give it.
    QList<QWidget *> tabOrder = {m_seekBar};
    tabOrder << m_transport->tabOrder() << m_windowButtons->tabOrder() << m_pitch->tabOrder()
             << m_bookmarks->tabOrder() << m_windCount->tabOrder() << m_keysAndHelp->tabOrder();
    for (qsizetype i = 0; i + 1 < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i], tabOrder[i + 1]);

    m_openDialog = std::make_unique<OpenDialog>();

    m_panelMotion = new QPropertyAnimation(this, "size", this);
    m_panelMotion->setDuration(PanelMotionMs);
    connect(m_panelMotion, &QPropertyAnimation::finished, this, &Bar::panelMotionEnded);
}

Bar::~Bar() = default;

void Bar::layOutStrip()
{
    m_player = new Player(std::make_unique<MpvEngine>(), [this] { return windStep(); }, this);
    m_player->audio().restoreFrom(m_settings);
    m_seekBar = new SeekBar(*m_player, this);
    m_hotKeys = new HotKeys(*m_player, this);
    m_globalHotKeys = new GlobalHotKeys(this);
    m_pedals = new FootPedals(*m_player, m_settings, this);
    m_seekBar->setObjectName(QStringLiteral("mediaControl"));
    PlaceTwips(m_seekBar, 1000, 0, 2010, 645);

    m_transport = new TransportView(this, *m_player);
    m_windowButtons = new WindowButtonsView(this);
    connect(m_windowButtons, &WindowButtonsView::openClicked, this, &Bar::chooseFile);
    connect(m_windowButtons, &WindowButtonsView::panelClicked, this, &Bar::togglePanel);
    connect(m_windowButtons, &WindowButtonsView::exitClicked, this, &Bar::exitProgram);

    m_stripEdge = DrawnLine(this, 5400, 260, 0, 260, 1, palette().color(QPalette::WindowText));
    m_stripEdge->setObjectName(QStringLiteral("stripEdge"));
    m_stripEdge->setAccessibleName(QStringLiteral("Strip edge"));
}

void Bar::layOutPanel()
{
    m_panel = new ImageButton(this);
    m_panel->setObjectName(QStringLiteral("panel"));
    m_panel->setAccessibleName(QStringLiteral("Panel"));
    m_panel->setAccessibleDescription(QStringLiteral("Drop a media file here to open it"));
    // Out of sight until the panel first slides out.
    m_panel->setPictureFile(QStringLiteral(":/images/panel.gif"));
    m_panel->setFocusPolicy(Qt::NoFocus);
    m_panel->move(0, Px(270));
    m_panel->setAcceptsFileDrops(true);
    connect(m_panel, &ImageButton::filesDropped, this, &Bar::openDroppedFile);

    m_positionDisplay = new PositionDisplay(this, m_panel, *m_player);
    m_resumer = new Resumer(*m_player, std::make_unique<ResumeStore>(), this);
    m_resumer->setEnabled(ResumeEnabled(m_settings));
    // Said once the file's name is on the label, by whichever route it came.
    connect(m_resumer, &Resumer::resumed, m_positionDisplay, [this] {
        if (const std::optional<double> at = m_resumer->resumedAt())
            m_positionDisplay->showResumed(*at);
    }, Qt::QueuedConnection);
    // The place of the file open at the exit is kept, unless the disk does
    // not answer: the exit must not wait on it.
    connect(this, &Bar::exiting, m_resumer, [this] {
        m_resumer->keepPlace();
        m_resumer->store().finishWrites(QDeadlineTimer(1000));
    });
    m_pitch = new PitchView(m_panel, *m_player);
    m_windCount = new WindCountView(m_panel, m_settings);
    m_bookmarks = new BookmarksView(m_panel, *m_player);
    m_keysAndHelp = new KeysAndHelpView(m_panel, this, *m_globalHotKeys, m_settings);

    // Tick marks at rate 1 and at the default wind count: lines behind the
    // tracks, so only their ends above and below each track show.
    m_pitchMark = DrawnLine(m_panel, 1965, 360, 1965, 600, 2, Qt::black);
    m_pitchMark->setObjectName(QStringLiteral("panelRule"));
    m_pitchMark->setAccessibleName(QStringLiteral("Pitch 1 mark"));
    m_windCountMark = DrawnLine(m_panel, 1850, 600, 1850, 840, 2, Qt::black);
    m_windCountMark->setObjectName(QStringLiteral("bookmarkRule"));
    m_windCountMark->setAccessibleName(QStringLiteral("Wind count mark"));

    const QList<QWidget *> stripBackdrop = m_positionDisplay->stripBackdrop() << m_stripEdge;
    for (QWidget *w : stripBackdrop)
        w->lower();
    QList<QWidget *> backdrop = m_positionDisplay->panelBackdrop();
    backdrop << m_pitch->backdrop() << m_windCount->backdrop() << m_bookmarks->backdrop()
             << m_keysAndHelp->backdrop() << m_pitchMark << m_windCountMark;
    for (QWidget *w : std::as_const(backdrop))
        w->lower();
}

double Bar::windStep() const
{
    return m_windCount->windStep();
}

void Bar::setTrayIcon(std::unique_ptr<QSystemTrayIcon> icon)
{
    m_trayIcon = std::move(icon);
}

void Bar::setOpenDialog(std::unique_ptr<OpenDialog> dialog)
{
    m_openDialog = std::move(dialog);
}

void Bar::showSettings()
{
    m_pedals->showSettings();
}
