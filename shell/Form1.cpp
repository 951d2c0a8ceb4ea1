#include "shell/Form1.h"

#include "hotkeys/HookModule.h"
#include "hotkeys/HotKeys.h"
#include "playback/MediaPlayerControl.h"
#include "playback/Player.h"
#include "playback/Sliders.h"
#include "shell/BarWindow.h"
#include "shell/Module1.h"
#include "shell/Pictures.h"
#include "shell/TrayIcon.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMimeData>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QTimer>

namespace {

// Fonts of the layout. The faces the bar was designed with are replaced by
// their metric twins from fonts-liberation, so texts fit their boxes.
QFont LayoutFont(const QString &family, qreal points)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    return font;
}

const QString SansSerif = QStringLiteral("Liberation Sans");      // "Microsoft Sans Serif"
const QString Narrow = QStringLiteral("Liberation Sans Narrow");  // "Arial Narrow"

void PlaceTwips(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

void SetColour(QWidget *w, QPalette::ColorRole role, const QColor &colour)
{
    QPalette pal = w->palette();
    pal.setColor(role, colour);
    w->setPalette(pal);
}

// A frame without border or caption, filled with its background colour.
QFrame *PlainFrame(QWidget *parent, const QColor &background)
{
    auto *frame = new QFrame(parent);
    frame->setFrameShape(QFrame::NoFrame);
    frame->setAutoFillBackground(true);
    SetColour(frame, QPalette::Window, background);
    return frame;
}

// Labels show their container around the text and sit behind its windowed
// controls, with the text at the top left as laid out.
template <typename LabelT>
LabelT *TransparentLabel(QWidget *parent, const QString &text)
{
    auto *label = new LabelT(text, parent);
    label->setAutoFillBackground(false);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
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

Form1::Form1(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Murmelvox - Kelvaro"));
    setAccessibleName(QStringLiteral("Murmelvox"));
    setWindowIcon(WindowIcon());
    // Controls without a font of their own use the layout's default face.
    setFont(LayoutFont(SansSerif, 8.25));
    setAutoFillBackground(true);
    setAcceptDrops(false);
    resize(Px(5310), Px(2640));

    layOutStrip();
    layOutPanel();

    // Stacking, front to back: the panel, the two button frames, the player,
    // whose lower part stays hidden behind the panel in both states.
    MP->raise();
    Frame2->raise();
    Frame1->raise();
    Picture7->raise();

    // Tab order as the layout's tab indexes give it.
    QWidget *tabOrder[] = {MP, Picture1, Picture2, Picture3, Picture5, Picture6, Picture4,
                           Picture8, Label4, Label5, Combo1, Command1, Command2, Command3,
                           Picture9, Command4, Command5};
    for (size_t i = 0; i + 1 < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i], tabOrder[i + 1]);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);

    CD = std::make_unique<CommonDialog>();

    m_panelMotion = new QPropertyAnimation(this, "size", this);
    m_panelMotion->setDuration(PanelMotionMs);

    connectHandlers();
    Timer1->start();
}

Form1::~Form1() = default;

void Form1::layOutStrip()
{
    Frame1 = PlainFrame(this, QColor(192, 192, 192));
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setAccessibleName(QStringLiteral("Transport buttons"));
    PlaceTwips(Frame1, 360, 0, 615, 255);

    Frame2 = PlainFrame(this, QColor(192, 192, 192));
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setAccessibleName(QStringLiteral("Window buttons"));
    PlaceTwips(Frame2, 4035, 30, 855, 200);

    struct Button { PictureBox *&box; const char *name; QWidget *frame; int left, top, image; const char *role; };
    const Button buttons[] = {
        {Picture1, "Picture1", Frame1, 0, 50, 1, "Play"},
        {Picture2, "Picture2", Frame1, 210, 50, 2, "Pause"},
        {Picture3, "Picture3", Frame1, 400, 50, 3, "Stop"},
        {Picture5, "Picture5", Frame2, 0, 0, 9, "Open a media file"},
        {Picture6, "Picture6", Frame2, 270, 0, 11, "Show or hide the panel"},
        {Picture4, "Picture4", Frame2, 600, 0, 7, "Exit Murmelvox"},
    };
    for (const Button &b : buttons) {
        b.box = new PictureBox(b.frame);
        b.box->setObjectName(QLatin1String(b.name));
        b.box->setAccessibleName(QLatin1String(b.role));
        ShowImage(b.box, b.image);
        b.box->move(Px(b.left), Px(b.top));
    }

    MP = new MediaPlayerControl(this);
    player = new Player(*MP, [] { return WindStep(); }, this);
    hotKeys = new HotKeys(*player, this);
    MP->setObjectName(QStringLiteral("MP"));
    MP->setAccessibleName(QStringLiteral("Seek bar"));
    PlaceTwips(MP, 1000, 0, 2010, 645);

    Label1 = TransparentLabel<QLabel>(this, QString());
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAccessibleName(QStringLiteral("File name"));
    Label1->setFont(LayoutFont(SansSerif, 6.75));
    SetColour(Label1, QPalette::WindowText, Qt::black);
    PlaceTwips(Label1, 3000, -30, 975, 255);

    Label2 = TransparentLabel<ClickLabel>(this, QString());
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAccessibleName(QStringLiteral("Time"));
    Label2->setFont(LayoutFont(SansSerif, 6.75));
    SetColour(Label2, QPalette::WindowText, QColor(64, 0, 0));
    PlaceTwips(Label2, 3000, 90, 975, 255);

    Line1 = DrawnLine(this, 5400, 260, 0, 260, 1, palette().color(QPalette::WindowText));
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setAccessibleName(QStringLiteral("Strip edge"));

    for (QWidget *w : {static_cast<QWidget *>(Label1), static_cast<QWidget *>(Label2), Line1})
        w->lower();
}

void Form1::layOutPanel()
{
    Picture7 = new PictureBox(this);
    Picture7->setObjectName(QStringLiteral("Picture7"));
    Picture7->setAccessibleName(QStringLiteral("Panel"));
    Picture7->setAccessibleDescription(QStringLiteral("Drop a media file here to open it"));
    Picture7->setPicture(ResourcePicture(QStringLiteral(":/images/panel.gif")));
    Picture7->setFocusPolicy(Qt::NoFocus);
    Picture7->move(0, Px(270));
    Picture7->setAcceptsFileDrops(true);

    const QColor captionColour = palette().color(QPalette::HighlightedText);
    auto caption = [&](QLabel *&label, const char *name, const QString &text, int l, int t, int w, int h) {
        label = TransparentLabel<QLabel>(Picture7, text);
        label->setObjectName(QLatin1String(name));
        label->setFont(LayoutFont(Narrow, 8.25));
        SetColour(label, QPalette::WindowText, captionColour);
        PlaceTwips(label, l, t, w, h);
    };
    caption(Label7, "Label7", QStringLiteral("Current Position:"), 120, 20, 1095, 255);
    caption(Label8, "Label8", QString(), 1200, 20, 615, 255);
    caption(Label3, "Label3", QStringLiteral("Pitch"), 120, 360, 735, 255);
    caption(Label9, "Label9", QStringLiteral("Wind Count"), 120, 600, 975, 255);
    caption(Label6, "Label6", QStringLiteral("Bookmark"), 120, 960, 735, 255);
    Label7->setAccessibleName(QStringLiteral("Current Position:"));
    Label8->setAccessibleName(QStringLiteral("Position in seconds"));
    Label3->setAccessibleName(QStringLiteral("Pitch"));
    Label9->setAccessibleName(QStringLiteral("Wind Count"));
    Label6->setAccessibleName(QStringLiteral("Bookmark"));

    // The two pitch glyphs: a down and an up triangle, small enough for
    // their 9-pixel boxes.
    auto glyph = [&](ClickLabel *&label, const char *name, const QString &text, const char *role, int left) {
        label = TransparentLabel<ClickLabel>(Picture7, text);
        label->setObjectName(QLatin1String(name));
        label->setAccessibleName(QLatin1String(role));
        label->setFont(LayoutFont(SansSerif, 6));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setFocusPolicy(Qt::TabFocus);
        label->setCursor(Qt::PointingHandCursor);
        PlaceTwips(label, left, 360, 135, 255);
    };
    glyph(Label4, "Label4", QStringLiteral("\u25BC"), "Pitch down", 840);
    glyph(Label5, "Label5", QStringLiteral("\u25B2"), "Pitch up", 2925);

    // A press at or past a track's right end fills it whole.
    Picture8 = new TrackSlider(Picture7, 2000, 135, QColor(64, 64, 64));
    Picture8->setRange(int(TrackFirstLine), TrackFill(PlanPitch(PitchTrackWidth).lines));
    Picture8->setObjectName(QStringLiteral("Picture8"));
    Picture8->setAccessibleName(QStringLiteral("Pitch"));
    Picture8->move(Px(960), Px(420));

    Picture9 = new TrackSlider(Picture7, 1635, 135, QColor(64, 64, 64));
    Picture9->setRange(int(TrackFirstLine), TrackFill(PlanWindCount(MaxWindCount).lines));
    Picture9->setObjectName(QStringLiteral("Picture9"));
    Picture9->setAccessibleName(QStringLiteral("Wind Count"));
    Picture9->move(Px(1320), Px(660));

    Combo1 = new QComboBox(Picture7);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setAccessibleName(QStringLiteral("Bookmarks"));
    Combo1->setEditable(false);
    Combo1->setFont(LayoutFont(Narrow, 8.25));
    SetColour(Combo1, QPalette::Base, palette().color(QPalette::Button));
    PlaceTwips(Combo1, 840, 915, 1095, 345);

    struct Command { QPushButton *&button; const char *name; const char *text; const char *role; qreal points; int l, t, w, h; };
    const Command commands[] = {
        {Command1, "Command1", "Set", "Set a bookmark", 8.25, 1980, 960, 375, 255},
        {Command2, "Command2", "Clear", "Clear the bookmark", 6, 2400, 915, 615, 195},
        {Command3, "Command3", "Clear All", "Clear all bookmarks", 6, 2400, 1095, 615, 195},
        {Command4, "Command4", "Keys", "Define keys", 0, 4440, 600, 615, 255},
        {Command5, "Command5", "Help", "Help", 0, 4440, 840, 615, 255},
    };
    for (const Command &c : commands) {
        c.button = new QPushButton(QLatin1String(c.text), Picture7);
        c.button->setObjectName(QLatin1String(c.name));
        c.button->setAccessibleName(QLatin1String(c.role));
        c.button->setAutoDefault(false);
        if (c.points > 0)
            c.button->setFont(LayoutFont(Narrow, c.points));
        PlaceTwips(c.button, c.l, c.t, c.w, c.h);
    }

    Label10 = TransparentLabel<QLabel>(Picture7, QString());
    Label10->setObjectName(QStringLiteral("Label10"));
    Label10->setAccessibleName(QStringLiteral("Kelvaro"));
    Label10->setToolTip(QStringLiteral("Murmelvox - from Kelvaro - ") + MakerAddress);
    PlaceTwips(Label10, 480, 1560, 1095, 135);

    // Tick marks at rate 1 and at the default wind count: lines behind the
    // tracks, so only their ends above and below each track show.
    Line2 = DrawnLine(Picture7, 1965, 360, 1965, 600, 2, Qt::black);
    Line2->setObjectName(QStringLiteral("Line2"));
    Line2->setAccessibleName(QStringLiteral("Pitch 1 mark"));
    Line3 = DrawnLine(Picture7, 1850, 600, 1850, 840, 2, Qt::black);
    Line3->setObjectName(QStringLiteral("Line3"));
    Line3->setAccessibleName(QStringLiteral("Wind count mark"));

    for (QWidget *w : {static_cast<QWidget *>(Label7), static_cast<QWidget *>(Label8),
                       static_cast<QWidget *>(Label3), static_cast<QWidget *>(Label4),
                       static_cast<QWidget *>(Label5), static_cast<QWidget *>(Label9),
                       static_cast<QWidget *>(Label6), static_cast<QWidget *>(Label10), Line2, Line3})
        w->lower();
}

void Form1::connectHandlers()
{
    struct Wiring {
        PictureBox *box;
        void (Form1::*click)();
        void (Form1::*down)(int, int, float, float);
        void (Form1::*up)(int, int, float, float);
    };
    const Wiring wiring[] = {
        {Picture1, &Form1::Picture1_Click, &Form1::Picture1_MouseDown, &Form1::Picture1_MouseUp},
        {Picture2, &Form1::Picture2_Click, &Form1::Picture2_MouseDown, &Form1::Picture2_MouseUp},
        {Picture3, &Form1::Picture3_Click, &Form1::Picture3_MouseDown, &Form1::Picture3_MouseUp},
        {Picture4, &Form1::Picture4_Click, &Form1::Picture4_MouseDown, &Form1::Picture4_MouseUp},
        {Picture5, &Form1::Picture5_Click, &Form1::Picture5_MouseDown, &Form1::Picture5_MouseUp},
        {Picture6, &Form1::Picture6_Click, &Form1::Picture6_MouseDown, &Form1::Picture6_MouseUp},
    };
    for (const Wiring &w : wiring) {
        connect(w.box, &PictureBox::mouseDown, this, w.down);
        connect(w.box, &PictureBox::mouseUp, this, w.up);
        connect(w.box, &PictureBox::clicked, this, w.click);
    }
    connect(Picture7, &PictureBox::filesDropped, this, &Form1::Picture7_OLEDragDrop);

    connect(m_panelMotion, &QPropertyAnimation::finished, this, &Form1::panelMotionEnded);

    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(player, &Player::lookChanged, this, &Form1::showTransportLook);
    connect(player, &Player::fileChanged, this, &Form1::showOpenedFile);
    connect(player, &Player::rateChanged, this, &Form1::showRate);
    connect(Label2, &ClickLabel::doubleClicked, this, &Form1::Label2_DblClick);

    connect(Label4, &ClickLabel::clicked, this, &Form1::Label4_Click);
    connect(Label5, &ClickLabel::clicked, this, &Form1::Label5_Click);
    connect(Picture8, &TrackSlider::mouseDown, this, &Form1::Picture8_MouseDown);
    connect(Picture8, &TrackSlider::mouseMove, this, &Form1::Picture8_MouseMove);
    connect(Picture8, &TrackSlider::dblClick, this, &Form1::Picture8_DblClick);
    // Arrow keys on the pitch track act as the two glyphs.
    connect(Picture8, &TrackSlider::stepped, this, [this](int direction) {
        if (direction < 0)
            Label4_Click();
        else
            Label5_Click();
    });

    connect(Picture9, &TrackSlider::mouseDown, this, &Form1::Picture9_MouseDown);
    connect(Picture9, &TrackSlider::mouseMove, this, &Form1::Picture9_MouseMove);
    connect(Picture9, &TrackSlider::dblClick, this, &Form1::Picture9_DblClick);
    // Arrow keys on the wind-count track wind one second more or less: 150
    // twips, one wind step.
    connect(Picture9, &TrackSlider::stepped, this, [this](int direction) {
        Picture9_MouseDown(1, 0, WindCount + 150.0f * float(direction), 0);
    });

    // Only the user's choices call the handler; code that sets the choice
    // calls Combo1_Click itself where it wants its effect.
    connect(Combo1, &QComboBox::activated, this, &Form1::Combo1_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
}

void Form1::ShowImage(PictureBox *box, int imageIndex)
{
    box->setPicture(ImageList1.ListImages(imageIndex), imageIndex);
}
