// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the help picture from the real bar: builds Bar off screen in its
// expanded state, grabs it, and lays the title, callouts and legend around it.
// Run it after the bar's layout changes and commit what it writes:
//   cmake --build build --target help_picture
// or: make_help_picture <output.jpg>
#include "rules/TimeText.h"
#include "ui/Controls.h"
#include "ui/Bar.h"
#include "ui/TrayIcon.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int PictureWidth = 549;
constexpr int PictureHeight = 493;
// The bar as the window region cuts it, in pixels.
constexpr int BarWidth = 350;
constexpr int BarHeight = 139;
constexpr int BarCornerRadius = 25;
// Where the bar sits in the picture.
const QPoint BarAt(100, 148);

const QColor Ink(0x1b, 0x2a, 0x3a);
const QColor Muted(0x4a, 0x5a, 0x6e);
const QColor Leader(0xd0, 0x6a, 0x10);
const QColor Band(0x1f, 0x3b, 0x5a);
const QColor Paper(0xf6, 0xf7, 0xf9);

QFont sans(int pixelSize, bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// A control's rectangle in picture coordinates.
QRect placed(const Bar &form, const QWidget *control)
{
    return QRect(BarAt + control->mapTo(&form, QPoint(0, 0)), control->size());
}

// A point just outside the middle of one edge of a control, where a leader
// ends without covering the control's text.
QPoint beside(const Bar &form, const QWidget *control, Qt::Edge edge, int gap = 3)
{
    const QRect r = placed(form, control);
    switch (edge) {
    case Qt::LeftEdge: return QPoint(r.left() - gap, r.center().y());
    case Qt::RightEdge: return QPoint(r.right() + gap, r.center().y());
    case Qt::TopEdge: return QPoint(r.center().x(), r.top() - gap);
    case Qt::BottomEdge: return QPoint(r.center().x(), r.bottom() + gap);
    }
    return r.center();
}

// Just left of a label's first line of text.
QPoint beforeText(const Bar &form, const QLabel *label)
{
    const QRect r = placed(form, label);
    return QPoint(r.left() - 2, r.top() + QFontMetrics(label->font()).height() / 2 + 1);
}

// Just right of a label's first line of text, moved up by `dy`.
QPoint afterText(const Bar &form, const QLabel *label, int dy = 0)
{
    const QRect r = placed(form, label);
    const QFontMetrics fm(label->font());
    return QPoint(r.left() + fm.horizontalAdvance(label->text()) + 4, r.top() + fm.height() / 2 + 1 + dy);
}

class Sheet
{
public:
    explicit Sheet(QImage *image) : m_painter(image)
    {
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.setRenderHint(QPainter::TextAntialiasing);
    }
    QPainter &painter() { return m_painter; }

    // A callout: `text` in `box` (aligned as given) with a leader from the
    // box's `side` to `target`, ending in a dot.
    void callout(const QRect &box, const QString &text, Qt::Alignment align, Qt::Edge side,
                 const QList<QPoint> &targets)
    {
        m_painter.setFont(sans(11));
        m_painter.setPen(Ink);
        m_painter.drawText(box, int(align) | Qt::TextWordWrap, text);
        const QRect used = m_painter.boundingRect(box, int(align) | Qt::TextWordWrap, text);
        for (const QPoint &target : targets) {
            QPoint from;
            switch (side) {
            case Qt::TopEdge: from = QPoint(std::clamp(target.x(), used.left() + 4, used.right() - 4), used.top() - 1); break;
            case Qt::BottomEdge: from = QPoint(std::clamp(target.x(), used.left() + 4, used.right() - 4), used.bottom() + 2); break;
            case Qt::LeftEdge: from = QPoint(used.left() - 3, used.center().y()); break;
            case Qt::RightEdge: from = QPoint(used.right() + 3, used.center().y()); break;
            }
            leader(from, target);
        }
    }

    void leader(const QPoint &from, const QPoint &to)
    {
        // A white halo keeps the line readable where it crosses the bar.
        m_painter.setPen(QPen(QColor(255, 255, 255, 200), 3.2, Qt::SolidLine, Qt::RoundCap));
        m_painter.drawLine(from, to);
        m_painter.setPen(QPen(Leader, 1.3, Qt::SolidLine, Qt::RoundCap));
        m_painter.drawLine(from, to);
        m_painter.setPen(QPen(Qt::white, 1));
        m_painter.setBrush(Leader);
        m_painter.drawEllipse(QPointF(to), 2.8, 2.8);
        m_painter.setBrush(Qt::NoBrush);
    }

private:
    QPainter m_painter;
};

QImage barImage(Bar &form)
{
    // The real bar, expanded, with a file open and bookmarks in its list.
    form.findChild<QTimer *>("positionTimer")->stop();
    form.expandAtOnce();
    form.findChild<QLabel *>("fileLabel")->setText(QStringLiteral("memo.mp3"));
    form.findChild<ClickLabel *>("timeLabel")->setText(TimeCaption(161, 195));
    form.findChild<QLabel *>("positionLabel")->setText(QStringLiteral("34.5"));
    form.findChild<QComboBox *>("bookmarkList")->clear();
    form.findChild<QComboBox *>("bookmarkList")->addItems({QStringLiteral("12.5"), QStringLiteral("34.5"), QStringLiteral("120")});
    form.findChild<QComboBox *>("bookmarkList")->setCurrentIndex(1);

    QImage grabbed = form.grab(QRect(0, 0, BarWidth, BarHeight)).toImage().convertToFormat(QImage::Format_ARGB32);
    QImage bar(BarWidth, BarHeight, QImage::Format_ARGB32);
    bar.fill(Qt::transparent);
    QPainter p(&bar);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath region;
    region.addRoundedRect(QRectF(0, 0, BarWidth, BarHeight), BarCornerRadius, BarCornerRadius);
    p.setClipPath(region);
    p.drawImage(0, 0, grabbed);
    return bar;
}

void drawHeader(Sheet &sheet)
{
    QPainter &p = sheet.painter();
    QLinearGradient band(0, 0, 0, 78);
    band.setColorAt(0, Band.lighter(118));
    band.setColorAt(1, Band);
    p.fillRect(QRect(0, 0, PictureWidth, 78), band);

    p.setPen(Qt::white);
    p.setFont(sans(26, true));
    p.drawText(QPoint(16, 34), QStringLiteral("Murmelvox"));
    const int nameWidth = QFontMetrics(sans(26, true)).horizontalAdvance(QStringLiteral("Murmelvox"));
    p.setPen(QColor(0x9f, 0xd0, 0xff));
    p.setFont(sans(15, true));
    p.drawText(QPoint(16 + nameWidth + 8, 34), QStringLiteral("1.0"));

    p.setPen(QColor(0xe4, 0xee, 0xf8));
    p.setFont(sans(13));
    p.drawText(QPoint(16, 54), QStringLiteral("The voice player for transcription typists"));
    p.setFont(sans(11));
    p.setPen(QColor(0xbf, 0xd3, 0xe6));
    p.drawText(QPoint(16, 70), QStringLiteral("Runs on Linux desktops with X11: GNOME, KDE Plasma, Xfce, MATE, Cinnamon and LXQt"));
}

void drawCallouts(Sheet &sheet, const Bar &form)
{
    // The strip, above the bar: transport buttons, seek bar, file name and
    // time, then the open, menu and exit buttons.
    const int stripMiddle = BarAt.y() + Px(130);
    const auto above = Qt::AlignHCenter | Qt::AlignBottom;
    const QRect transport = placed(form, form.findChild<QFrame *>("transportFrame"));
    sheet.callout(QRect(10, 86, 100, 44), QStringLiteral("Play, Pause\nand Stop"), above, Qt::BottomEdge,
                  {QPoint(transport.center().x(), transport.top() + 2)});
    const QRect seek = placed(form, form.findChild<QWidget *>(QStringLiteral("mediaControl")));
    sheet.callout(QRect(118, 86, 80, 44), QStringLiteral("Seek bar"), above, Qt::BottomEdge,
                  {QPoint(seek.center().x() - 10, stripMiddle)});
    const QRect name = placed(form, form.findChild<QLabel *>("fileLabel"));
    sheet.callout(QRect(204, 86, 80, 44), QStringLiteral("File name"), above, Qt::BottomEdge,
                  {QPoint(name.left() + 8, BarAt.y() - 1)});
    sheet.callout(QRect(286, 86, 100, 44), QStringLiteral("Time: remaining\nor elapsed / total"), above,
                  Qt::BottomEdge, {afterText(form, form.findChild<ClickLabel *>("timeLabel"))});
    sheet.callout(QRect(390, 86, 54, 44), QStringLiteral("Open a\nvoice file"), above, Qt::BottomEdge,
                  {beside(form, form.findChild<ImageButton *>("openButton"), Qt::TopEdge, 1)});
    sheet.callout(QRect(444, 86, 56, 44), QStringLiteral("Menu:\nthe panel"), above, Qt::BottomEdge,
                  {beside(form, form.findChild<ImageButton *>("panelButton"), Qt::TopEdge, 1)});
    sheet.callout(QRect(500, 86, 44, 44), QStringLiteral("Exit"), above, Qt::BottomEdge,
                  {beside(form, form.findChild<ImageButton *>("exitButton"), Qt::TopEdge, 1)});

    // The panel, left: read-out, sliders and the bookmark list.
    const auto left = Qt::AlignRight | Qt::AlignVCenter;
    sheet.callout(QRect(2, 150, 92, 30), QStringLiteral("Position in\nseconds"), left, Qt::RightEdge,
                  {beforeText(form, form.findChild<QLabel *>("positionCaption"))});
    sheet.callout(QRect(2, 183, 92, 30), QStringLiteral("Pitch: play rate\n\u25BC slower \u25B2 faster"), left,
                  Qt::RightEdge, {beforeText(form, form.findChild<QLabel *>("pitchLabel"))});
    sheet.callout(QRect(2, 216, 92, 30), QStringLiteral("Wind Count: F5\nand F8 jump"), left, Qt::RightEdge,
                  {beforeText(form, form.findChild<QLabel *>("windLabel"))});
    sheet.callout(QRect(2, 249, 92, 30), QStringLiteral("Bookmarks:\njump to one"), left, Qt::RightEdge,
                  {beforeText(form, form.findChild<QLabel *>("bookmarkCaption"))});

    // The panel, right: Keys and Help.
    const auto right = Qt::AlignLeft | Qt::AlignVCenter;
    sheet.callout(QRect(458, 190, 90, 30), QStringLiteral("Keys: change\nthe hot keys"), right, Qt::LeftEdge,
                  {beside(form, form.findChild<QPushButton *>("keysButton"), Qt::RightEdge)});
    sheet.callout(QRect(458, 228, 90, 30), QStringLiteral("Help: shows\nthis help"), right, Qt::LeftEdge,
                  {beside(form, form.findChild<QPushButton *>("helpButton"), Qt::RightEdge)});

    // Below the bar: the bookmark buttons.
    const auto below = Qt::AlignHCenter | Qt::AlignTop;
    sheet.callout(QRect(160, 296, 96, 30), QStringLiteral("Set a new\nbookmark"), below, Qt::TopEdge,
                  {beside(form, form.findChild<QPushButton *>("setBookmarkButton"), Qt::BottomEdge, 2)});
    sheet.callout(QRect(262, 296, 96, 30), QStringLiteral("Clear all\nbookmarks"), below, Qt::TopEdge,
                  {beside(form, form.findChild<QPushButton *>("clearAllBookmarksButton"), Qt::BottomEdge, 2)});
    sheet.callout(QRect(360, 296, 96, 30), QStringLiteral("Clear the\nbookmark shown"), below, Qt::TopEdge,
                  {beside(form, form.findChild<QPushButton *>("clearBookmarkButton"), Qt::RightEdge, 2)});
}

void drawLegend(Sheet &sheet)
{
    QPainter &p = sheet.painter();
    p.setPen(QPen(QColor(0xd5, 0xdb, 0xe3), 1));
    p.drawLine(12, 338, PictureWidth - 12, 338);

    // Tips and defaults, left.
    p.setPen(Band);
    p.setFont(sans(12, true));
    p.drawText(QPoint(14, 358), QStringLiteral("Good to know"));
    p.setFont(sans(11));
    p.setPen(Ink);
    const QStringList tips = {
        QStringLiteral("Double-click the Pitch or Wind Count track to\nrestore its default."),
        QStringLiteral("Double-click the time to switch between elapsed\nand remaining time."),
        QStringLiteral("Defaults: Pitch 1 (normal speed), Wind Count 3\n(Fast Rewind and Fast Forward jump 3 seconds)."),
    };
    int y = 366;
    for (const QString &tip : tips) {
        p.setBrush(Leader);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(18, y + 7), 2.2, 2.2);
        p.setBrush(Qt::NoBrush);
        p.setPen(Ink);
        const QRect box(26, y, 270, 40);
        const QRect used = p.boundingRect(box, Qt::AlignLeft | Qt::AlignTop, tip);
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop, tip);
        y = used.bottom() + 6;
    }

    // Hot keys, right.
    p.setPen(Band);
    p.setFont(sans(12, true));
    p.drawText(QPoint(310, 358), QStringLiteral("Hot keys, in every application"));
    struct Key { const char *key; const char *action; };
    const Key keys[] = {{"F4", "Full Rewind"}, {"F5", "Fast Rewind"}, {"F6", "Play/Pause"}, {"F8", "Fast Forward"}};
    // One column, clear of the window's "Close" button at the bottom right.
    for (int i = 0; i < 4; ++i) {
        const int x = 310;
        const int ky = 366 + i * 22;
        const QRect cap(x, ky, 24, 17);
        p.setPen(QPen(QColor(0x8a, 0x97, 0xa8), 1));
        p.setBrush(QColor(0xff, 0xff, 0xff));
        p.drawRoundedRect(cap, 3, 3);
        p.setBrush(Qt::NoBrush);
        p.setPen(Ink);
        p.setFont(sans(11, true));
        p.drawText(cap, Qt::AlignCenter, QString::fromLatin1(keys[i].key));
        p.setFont(sans(11));
        p.drawText(QRect(x + 29, ky, 90, 17), Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(keys[i].action));
    }
    p.setPen(Muted);
    p.setFont(sans(10));
    p.drawText(QRect(440, 366, 100, 24), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Change them\nwith Keys."));

    // Credits.
    p.setPen(QPen(QColor(0xd5, 0xdb, 0xe3), 1));
    p.drawLine(12, 466, PictureWidth - 12, 466);
    p.setPen(Muted);
    p.setFont(sans(10));
    p.drawText(QRect(14, 470, PictureWidth - 28, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Murmelvox 1.0 \u2014 from Kelvaro \u2014 ") + MakerAddress);
}

QImage helpPicture(Bar &form)
{
    QImage image(PictureWidth, PictureHeight, QImage::Format_RGB32);
    image.fill(Paper);
    Sheet sheet(&image);
    drawHeader(sheet);

    const QImage bar = barImage(form);
    QPainter &p = sheet.painter();
    // A soft shadow under the bar.
    for (int i = 6; i >= 1; --i) {
        QPainterPath shadow;
        shadow.addRoundedRect(QRectF(BarAt + QPoint(0, 3), QSize(BarWidth, BarHeight)).adjusted(-i, -i, i, i),
                              BarCornerRadius + i, BarCornerRadius + i);
        p.fillPath(shadow, QColor(20, 40, 70, 10));
    }
    p.drawImage(BarAt, bar);

    drawCallouts(sheet, form);
    drawLegend(sheet);
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    // Off screen and with settings of its own, so the user's stored wind
    // count does not show in the picture.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QDir(home.path()).filePath("config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", QDir(home.path()).filePath("data").toLocal8Bit());
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_help_picture <output.jpg>\n");
        return 2;
    }

    Bar form;
    form.load();
    form.show();
    QCoreApplication::processEvents();

    const QImage picture = helpPicture(form);
    const QString output = QString::fromLocal8Bit(argv[1]);
    if (!picture.save(output, "JPEG", 92)) {
        std::fprintf(stderr, "make_help_picture: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
