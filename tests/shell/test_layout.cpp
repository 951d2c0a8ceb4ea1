// SPDX-License-Identifier: GPL-3.0-or-later
// The bar as laid out: images, sizes, containers, stacking, tab order,
// accessibility, the load handler's placement and the expand/collapse steps.
#include "BarControls.h"
#include "ui/BarWindow.h"
#include "ui/Bar.h"
#include "ui/Pictures.h"
#include "ui/TrayIcon.h"


#include <QAbstractFileIconProvider>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Which of the table's looks an image has, by the colours it is drawn in.
QString Look(const QImage &image)
{
    int dark = 0, yellow = 0, red = 0, green = 0, navy = 0, olive = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int r = c.red(), g = c.green(), b = c.blue();
            if (r < 90 && g < 90 && b < 90 && std::abs(r - g) < 12 && std::abs(g - b) < 12)
                ++dark;
            else if (r > 220 && g > 180 && b < 110)
                ++yellow;
            else if (r > 180 && g < 80 && b < 80)
                ++red;
            else if (g > 200 && r < 200 && b < 200 && g - r > 40)
                ++green;
            else if (b > 100 && r < 40 && g < 40)
                ++navy;
            else if (r > 100 && r < 150 && g > 100 && g < 150 && b < 40)
                ++olive;
        }
    }
    const int area = image.width() * image.height();
    auto some = [area](int n) { return n * 8 >= area; };  // at least an eighth
    if (some(navy))
        return QStringLiteral("window");
    if (some(olive) && yellow > 0)
        return QStringLiteral("folder");
    if (some(yellow))
        return QStringLiteral("yellow");
    if (some(red))
        return QStringLiteral("red");
    if (some(green))
        return QStringLiteral("green");
    if (some(dark))
        return QStringLiteral("dark");
    return QStringLiteral("?");
}

QList<QWidget *> FocusChain(QWidget *start)
{
    QList<QWidget *> chain;
    for (QWidget *w = start->nextInFocusChain(); w != start; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            chain.append(w);
    }
    return chain;
}

QList<float> Lines(float first, float last)
{
    QList<float> xs;
    for (float x = first; x <= last; x += 30)
        xs.append(x);
    return xs;
}

QStringList Names(const QList<QWidget *> &widgets)
{
    QStringList names;
    for (QWidget *w : widgets)
        names.append(w->objectName());
    return names;
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void buttonPictures_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("look");
        QTest::newRow("1 play released") << 1 << QSize(12, 11) << "dark";
        QTest::newRow("2 pause released") << 2 << QSize(12, 11) << "dark";
        QTest::newRow("3 stop released") << 3 << QSize(12, 11) << "dark";
        QTest::newRow("4 play lit") << 4 << QSize(12, 11) << "yellow";
        QTest::newRow("5 pause lit") << 5 << QSize(12, 11) << "yellow";
        QTest::newRow("6 stop lit") << 6 << QSize(12, 11) << "yellow";
        QTest::newRow("7 exit released") << 7 << QSize(14, 13) << "dark";
        QTest::newRow("8 exit pressed") << 8 << QSize(14, 13) << "red";
        QTest::newRow("9 open released") << 9 << QSize(18, 13) << "folder";
        QTest::newRow("10 open pressed") << 10 << QSize(18, 13) << "green";
        QTest::newRow("11 panel released") << 11 << QSize(18, 13) << "window";
        QTest::newRow("12 panel pressed") << 12 << QSize(18, 13) << "green";
    }
    void buttonPictures()
    {
        QFETCH(int, index);
        QFETCH(QSize, size);
        QFETCH(QString, look);
        const QPixmap image = ButtonPicture(ButtonImage(index));
        QVERIFY(!image.isNull());
        QCOMPARE(image.deviceIndependentSize().toSize(), size);
        QCOMPARE(Look(image.toImage()), look);
        // no transparency in button images
        QVERIFY(!image.hasAlpha());
        // drawn for the screen's density: twice the pixels on a 2x screen
        QCOMPARE(image.devicePixelRatio(), qApp->devicePixelRatio() > 1 ? 2.0 : 1.0);
        QCOMPARE(image.size(), size * image.devicePixelRatio());
    }

    void buttonPictureOutOfRange_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("0, a 0-based first") << 0;
        QTest::newRow("13, one past the end") << 13;
        QTest::newRow("negative") << -1;
    }
    void buttonPictureOutOfRange()
    {
        QFETCH(int, index);
        QVERIFY(ButtonPicture(ButtonImage(index)).isNull());
    }

    void distinctImages()
    {
        // The released and lit looks of one button differ, so a swap shows.
        for (int i = 1; i <= 6; i += 1) {
            const QImage a = ButtonPicture(ButtonImage(i)).toImage();
            const QImage b = ButtonPicture(ButtonImage(i <= 3 ? i + 3 : i - 3)).toImage();
            QVERIFY2(a != b, qPrintable(QString::number(i)));
        }
    }

    void buttons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<int>("image");
        QTest::newRow("playButton play") << "playButton" << "transportFrame" << QRect(0, 50, 180, 165) << 1;
        QTest::newRow("pauseButton pause") << "pauseButton" << "transportFrame" << QRect(210, 50, 180, 165) << 2;
        QTest::newRow("stopButton stop") << "stopButton" << "transportFrame" << QRect(400, 50, 180, 165) << 3;
        QTest::newRow("openButton open") << "openButton" << "windowButtonsFrame" << QRect(0, 0, 270, 195) << 9;
        QTest::newRow("panelButton expand") << "panelButton" << "windowButtonsFrame" << QRect(270, 0, 270, 195) << 11;
        QTest::newRow("exitButton exit") << "exitButton" << "windowButtonsFrame" << QRect(600, 0, 210, 195) << 7;
    }
    void buttons()
    {
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(QRect, twips);
        QFETCH(int, image);
        Bar form;
        auto *box = form.findChild<ImageButton *>(name);
        QVERIFY(box);
        QCOMPARE(box->parentWidget()->objectName(), container);
        QCOMPARE(box->geometry(), QRect(Px(twips.x()), Px(twips.y()), Px(twips.width()), Px(twips.height())));
        QCOMPARE(box->imageIndex(), image);
        QCOMPARE(box->size(), ButtonPicture(ButtonImage(image)).deviceIndependentSize().toSize());
        QVERIFY(!box->accessibleName().isEmpty());
    }

    void showImageResizesToImage()
    {
        Bar form;
        ImageButton *play = control<ImageButton>(form, "playButton");
        ImageButton *exit = control<ImageButton>(form, "exitButton");
        play->setImage(ButtonImage::PlayDown);
        QCOMPARE(play->imageIndex(), 4);
        QCOMPARE(play->size(), QSize(12, 11));
        exit->setImage(ButtonImage::ExitDown);
        QCOMPARE(exit->size(), QSize(14, 13));
    }

    void strip()
    {
        Bar form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Murmelvox - Kelvaro"));
        QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!form.acceptDrops());
        QCOMPARE(form.size(), QSize(354, 176));  // 5310 x 2640 twips
        QCOMPARE(control<QFrame>(form, "transportFrame")->geometry(), QRect(24, 0, 41, 17));
        QCOMPARE(control<QFrame>(form, "windowButtonsFrame")->geometry(), QRect(269, 2, 57, 13));
        QCOMPARE(control<QFrame>(form, "transportFrame")->palette().color(QPalette::Window), QColor(192, 192, 192));
        QWidget *seekBar = control<QWidget>(form, "mediaControl");
        QCOMPARE(seekBar->parentWidget(), &form);
        QCOMPARE(seekBar->geometry(), QRect(67, 0, 134, 43));
        const QLabel *file = control<QLabel>(form, "fileLabel");
        const ClickLabel *time = control<ClickLabel>(form, "timeLabel");
        QCOMPARE(file->geometry(), QRect(200, -2, 65, 17));
        QCOMPARE(time->geometry(), QRect(200, 6, 65, 17));
        QCOMPARE(time->palette().color(QPalette::WindowText), QColor(64, 0, 0));
        QVERIFY(file->text().isEmpty());
        QVERIFY(time->text().isEmpty());
        const QWidget *edge = control<QWidget>(form, "stripEdge");
        QCOMPARE(edge->geometry().top(), 17);
        QCOMPARE(edge->height(), 1);
        const QTimer *tick = control<QTimer>(form, "positionTimer");
        QVERIFY(tick->isActive());
        QCOMPARE(tick->interval(), 100);
    }

    void panel_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("text");
        QTest::newRow("positionCaption") << "positionCaption" << QRect(120, 20, 1095, 255) << "Current Position:";
        QTest::newRow("positionLabel") << "positionLabel" << QRect(1200, 20, 615, 255) << "";
        QTest::newRow("pitchLabel") << "pitchLabel" << QRect(120, 360, 735, 255) << "Pitch";
        QTest::newRow("pitchDown") << "pitchDown" << QRect(840, 360, 135, 255) << u8"\u25BC";
        QTest::newRow("pitchTrack") << "pitchTrack" << QRect(960, 420, 2000, 135) << "";
        QTest::newRow("pitchUp") << "pitchUp" << QRect(2925, 360, 135, 255) << u8"\u25B2";
        QTest::newRow("windLabel") << "windLabel" << QRect(120, 600, 975, 255) << "Wind Count";
        QTest::newRow("windTrack") << "windTrack" << QRect(1320, 660, 1635, 135) << "";
        QTest::newRow("bookmarkCaption") << "bookmarkCaption" << QRect(120, 960, 735, 255) << "Bookmark";
        QTest::newRow("bookmarkList") << "bookmarkList" << QRect(840, 915, 1095, 345) << "";
        QTest::newRow("setBookmarkButton") << "setBookmarkButton" << QRect(1980, 960, 375, 255) << "Set";
        QTest::newRow("clearBookmarkButton") << "clearBookmarkButton" << QRect(2400, 915, 615, 195) << "Clear";
        QTest::newRow("clearAllBookmarksButton") << "clearAllBookmarksButton" << QRect(2400, 1095, 615, 195) << "Clear All";
        QTest::newRow("keysButton") << "keysButton" << QRect(4440, 600, 615, 255) << "Keys";
        QTest::newRow("helpButton") << "helpButton" << QRect(4440, 840, 615, 255) << "Help";
        QTest::newRow("makerLabel") << "makerLabel" << QRect(480, 1560, 1095, 135) << "";
    }
    void panel()
    {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QFETCH(QString, text);
        Bar form;
        auto *w = form.findChild<QWidget *>(name);
        QVERIFY(w);
        QCOMPARE(w->parentWidget(), control<ImageButton>(form, "panel"));
        QCOMPARE(w->geometry(), QRect(Px(twips.x()), Px(twips.y()), Px(twips.width()), Px(twips.height())));
        if (auto *label = qobject_cast<QLabel *>(w)) {
            QCOMPARE(label->text(), text);
            // transparent: the panel picture shows around the text
            QVERIFY(!label->autoFillBackground());
        } else if (auto *button = qobject_cast<QPushButton *>(w)) {
            QCOMPARE(button->text(), text);
        }
        QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(name));
    }

    void panelPicture()
    {
        Bar form;
        const ImageButton *panel = control<ImageButton>(form, "panel");
        QCOMPARE(panel->geometry(), QRect(0, 18, 349, 120));
        const QImage picture = panel->picture().toImage();
        QCOMPARE(panel->picture().deviceIndependentSize().toSize(), QSize(349, 120));
        // rounded: the corners are transparent, the middle is not
        QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(picture.pixel(picture.width() - 1, picture.height() - 1)), 0);
        QCOMPARE(qAlpha(picture.pixel(picture.width() / 2, picture.height() / 2)), 255);
        QVERIFY(panel->acceptDrops());
        QVERIFY(form.findChild<QLabel *>("makerLabel")->toolTip().startsWith(QStringLiteral("Murmelvox - from Kelvaro - ")));
        QVERIFY(form.findChild<QLabel *>("makerLabel")->toolTip().endsWith(MakerAddress));
    }

    void fonts()
    {
        Bar form;
        for (const char *name : {"pitchLabel", "bookmarkCaption", "positionCaption", "positionLabel", "windLabel",
                                 "bookmarkList", "setBookmarkButton"}) {
            const QWidget *w = control<QWidget>(form, name);
            QCOMPARE(w->font().family(), QStringLiteral("Liberation Sans Narrow"));
            QCOMPARE(w->font().pointSizeF(), 8.25);
        }
        QCOMPARE(form.findChild<QPushButton *>("clearBookmarkButton")->font().pointSizeF(), 6.0);
        QCOMPARE(control<QLabel>(form, "fileLabel")->font().pointSizeF(), 6.75);
        QCOMPARE(control<QLabel>(form, "positionCaption")->palette().color(QPalette::WindowText),
                 form.palette().color(QPalette::HighlightedText));
        // the triangles fit their boxes
        for (const char *name : {"pitchDown", "pitchUp"}) {
            const QLabel *glyph = control<QLabel>(form, name);
            QVERIFY(glyph->fontMetrics().boundingRect(glyph->text()).width() <= glyph->width());
        }
    }

    void stacking()
    {
        Bar form;
        QWidget *seekBar = control<QWidget>(form, "mediaControl");
        // Only the seek bar's top 18 pixels show; below that the panel covers it.
        QWidget *top = form.childAt(100, 5);
        QVERIFY(top == seekBar || seekBar->isAncestorOf(top));
        QWidget *below = form.childAt(100, 30);
        ImageButton *panel = control<ImageButton>(form, "panel");
        QVERIFY(below == panel || panel->isAncestorOf(below));
        // the labels of the strip lie behind the player where they overlap it
        QWidget *overlap = form.childAt(200, 5);
        QVERIFY(overlap == seekBar || seekBar->isAncestorOf(overlap));
        // front to back: panel, transportFrame, windowButtonsFrame, seek bar
        const QObjectList kids = form.children();
        const qsizetype transport = kids.indexOf(control<QFrame>(form, "transportFrame"));
        const qsizetype windowButtons = kids.indexOf(control<QFrame>(form, "windowButtonsFrame"));
        QVERIFY(kids.indexOf(panel) > transport);
        QVERIFY(transport > windowButtons);
        QVERIFY(windowButtons > kids.indexOf(seekBar));
        // the tick lines are behind the tracks
        const QObjectList panelKids = panel->children();
        QVERIFY(panelKids.indexOf(control<QWidget>(form, "panelRule")) < panelKids.indexOf(control<TrackSlider>(form, "pitchTrack")));
        QVERIFY(panelKids.indexOf(control<QWidget>(form, "bookmarkRule")) < panelKids.indexOf(control<TrackSlider>(form, "windTrack")));
        QVERIFY(control<QWidget>(form, "panelRule")->testAttribute(Qt::WA_TransparentForMouseEvents));
    }

    void tabOrder()
    {
        Bar form;
        const QStringList chain = Names(FocusChain(control<ImageButton>(form, "exitButton")));
        const QStringList panel = {"pitchTrack", "pitchDown", "pitchUp", "bookmarkList", "setBookmarkButton", "clearBookmarkButton",
                                   "clearAllBookmarksButton", "windTrack", "keysButton", "helpButton"};
        QCOMPARE(chain.mid(0, panel.size()), panel);
        const QStringList strip = Names(FocusChain(control<ImageButton>(form, "playButton")));
        QCOMPARE(strip.mid(0, 5), (QStringList{"pauseButton", "stopButton", "openButton", "panelButton", "exitButton"}));
    }

    void accessibility_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role");
        QTest::newRow("play button") << "playButton" << int(QAccessible::Button);
        QTest::newRow("exit button") << "exitButton" << int(QAccessible::Button);
        QTest::newRow("pitch down glyph") << "pitchDown" << int(QAccessible::Button);
        QTest::newRow("pitch track") << "pitchTrack" << int(QAccessible::Slider);
        QTest::newRow("wind-count track") << "windTrack" << int(QAccessible::Slider);
    }
    void accessibility()
    {
        QFETCH(QString, name);
        QFETCH(int, role);
        Bar form;
        auto *w = form.findChild<QWidget *>(name);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        QVERIFY(iface);
        QCOMPARE(int(iface->role()), role);
        QVERIFY(!iface->text(QAccessible::Name).isEmpty());
        // Pressing through the accessibility interface acts like a click.
        // (Checked on a loose control of the same kind: the bar's own
        // handlers include the exit button, which ends the process.)
        std::unique_ptr<QWidget> loose;
        if (qobject_cast<ImageButton *>(w))
            loose = std::make_unique<ImageButton>();
        else if (qobject_cast<ClickLabel *>(w))
            loose = std::make_unique<ClickLabel>();
        else
            loose = std::make_unique<TrackSlider>(nullptr, 1000, 135, Qt::black);
        QAccessibleInterface *looseIface = QAccessible::queryAccessibleInterface(loose.get());
        QAccessibleActionInterface *actions = looseIface->actionInterface();
        QVERIFY(actions);
        if (role == QAccessible::Button) {
            QSignalSpy spy(loose.get(), SIGNAL(clicked()));
            actions->doAction(QAccessibleActionInterface::pressAction());
            QCOMPARE(spy.count(), 1);
            loose->setEnabled(false);
            actions->doAction(QAccessibleActionInterface::pressAction());
            QCOMPARE(spy.count(), 1);
        } else {
            QSignalSpy spy(loose.get(), SIGNAL(stepped(int)));
            actions->doAction(QAccessibleActionInterface::increaseAction());
            actions->doAction(QAccessibleActionInterface::decreaseAction());
            QCOMPARE(spy.count(), 2);
            QCOMPARE(spy.at(0).at(0).toInt(), 1);
            QCOMPARE(spy.at(1).at(0).toInt(), -1);
        }
    }

    void everyControlNamed()
    {
        Bar form;
        const auto widgets = form.findChildren<QWidget *>();
        int named = 0;
        for (QWidget *w : widgets) {
            const QString n = w->objectName();
            static const QStringList controls{
                "playButton", "pauseButton", "stopButton", "exitButton", "openButton", "panelButton", "panel",
                "pitchTrack", "windTrack", "fileLabel", "timeLabel", "pitchLabel", "pitchDown", "pitchUp",
                "bookmarkCaption", "positionCaption", "positionLabel", "windLabel", "makerLabel", "bookmarkList",
                "setBookmarkButton", "clearBookmarkButton", "clearAllBookmarksButton", "keysButton", "helpButton",
                "transportFrame", "windowButtonsFrame", "stripEdge", "panelRule", "bookmarkRule", "mediaControl"};
            if (!controls.contains(n))
                continue;
            ++named;
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(n));
        }
        QCOMPARE(named, 9 + 10 + 5 + 1 + 2 + 3 + 1);
    }

    void imageButtonMouse()
    {
        Bar form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ImageButton *box = control<ImageButton>(form, "panel");  // no handler of its own
        QSignalSpy down(box, &ImageButton::pressed);
        QSignalSpy up(box, &ImageButton::released);
        QSignalSpy clicked(box, &ImageButton::clicked);
        QTest::mousePress(box, Qt::LeftButton, Qt::ShiftModifier, QPoint(20, 3));
        QTest::mouseRelease(box, Qt::LeftButton, Qt::ShiftModifier, QPoint(20, 3));
        QCOMPARE(down.count(), 1);
        QCOMPARE(up.count(), 1);
        QCOMPARE(clicked.count(), 1);
        // released outside: no click; right button: pressed and released, never a click
        QTest::mousePress(box, Qt::LeftButton, {}, QPoint(20, 3));
        QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(500, 3));
        QTest::mousePress(box, Qt::RightButton, {}, QPoint(20, 3));
        QTest::mouseRelease(box, Qt::RightButton, {}, QPoint(20, 3));
        QCOMPARE(down.count(), 3);
        QCOMPARE(up.count(), 3);
        QCOMPARE(clicked.count(), 1);
        // a double click acts once
        QTest::mousePress(box, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(5, 5));
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)),
                        Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(box, &dbl);
        QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(clicked.count(), 2);
        // keyboard
        QTest::keyClick(box, Qt::Key_Space);
        QCOMPARE(clicked.count(), 3);
    }

    void clickLabelDoubleClick()
    {
        Bar form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ClickLabel *label = control<ClickLabel>(form, "timeLabel");
        QSignalSpy clicked(label, &ClickLabel::clicked);
        QSignalSpy doubled(label, &ClickLabel::doubleClicked);
        QTest::mousePress(label, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(3, 3));
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(3, 3), label->mapToGlobal(QPointF(3, 3)),
                        Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(label, &dbl);
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(doubled.count(), 1);
    }

    // The fill is drawn from the value alone: a line a pixel wide every 30
    // twips, the track's full height, and only up to the value.
    void trackSliderPaintsItsValue()
    {
        QWidget host;
        TrackSlider track(&host, 2000, 135, QColor(64, 64, 64));
        track.setRange(10, 2020);
        QCOMPARE(track.size(), QSize(133, 9));
        track.setValue(1030);
        QCOMPARE(track.lineXs(), Lines(10, 1000));
        const QImage drawn = track.grab().toImage();
        const int k = int(drawn.devicePixelRatio());  // device pixels per logical one
        for (int y : {0, 4, 8}) {
            QCOMPARE(drawn.pixelColor(0, y * k), QColor(Qt::white));       // 10 twips
            QCOMPARE(drawn.pixelColor(66 * k, y * k), QColor(Qt::white));  // 1000 twips
        }
        QCOMPARE(drawn.pixelColor(1 * k, 4 * k), QColor(64, 64, 64));   // between lines
        QCOMPARE(drawn.pixelColor(68 * k, 4 * k), QColor(64, 64, 64));  // 1030: past the fill
        // hidden and shown again, or grabbed again: the same picture
        host.show();
        host.hide();
        QCOMPARE(track.grab().toImage(), drawn);
        track.setValue(10);
        QVERIFY(track.lineXs().isEmpty());
        QCOMPARE(track.grab().toImage().pixelColor(0, 4 * k), QColor(64, 64, 64));
    }

    void trackSliderMouseInTwips()
    {
        QWidget host;
        TrackSlider track(&host, 1635, 135, QColor(64, 64, 64));
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QSignalSpy down(&track, &TrackSlider::pressedAt);
        QSignalSpy drag(&track, &TrackSlider::draggedTo);
        QTest::mousePress(&track, Qt::LeftButton, {}, QPoint(34, 2));
        QTest::mouseMove(&track, QPoint(120, 2));
        QTest::mouseRelease(&track, Qt::LeftButton, {}, QPoint(120, 2));
        QCOMPARE(down.count(), 1);
        QCOMPARE(down.at(0).at(0).toFloat(), 510.0f);
        QVERIFY(drag.count() >= 1);
        QCOMPARE(drag.last().at(0).toFloat(), 1800.0f); // past the right edge
        // a drag with the right button, or with a second button held, is no drag
        drag.clear();
        for (Qt::MouseButtons held : {Qt::MouseButtons(Qt::RightButton), Qt::LeftButton | Qt::RightButton}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(60, 2), track.mapToGlobal(QPointF(60, 2)), Qt::NoButton,
                             held, {});
            QApplication::sendEvent(&track, &move);
        }
        QCOMPARE(drag.count(), 0);
    }

    // Start-up's later steps: not before the window is painted, once after.
    void afterFirstPaint()
    {
        QWidget window;
        int runs = 0;
        AfterFirstPaint(&window, [&] { ++runs; }, 300);
        QTest::qWait(50);
        QCOMPARE(runs, 0);
        window.show();
        QTRY_COMPARE(runs, 1);
        window.repaint();
        QTest::qWait(400);   // past the latest moment too
        QCOMPARE(runs, 1);
    }

    // A window that is never painted still gets them, by the latest moment.
    void afterFirstPaintUnpainted()
    {
        QWidget window;
        int runs = 0;
        AfterFirstPaint(&window, [&] { ++runs; }, 50);
        QTRY_COMPARE(runs, 1);
    }

    void trayIconRecord()
    {
        QWidget window;
        window.setWindowIcon(QIcon(QStringLiteral(":/images/murmelvox.png")));
        const std::unique_ptr<QSystemTrayIcon> trayIcon = AddTrayIcon(&window);
        QVERIFY(trayIcon);
        QCOMPARE(trayIcon->toolTip(), TrayTip());
        QVERIFY(!trayIcon->icon().isNull());
        QVERIFY(trayIcon->isVisible());
    }

    void windowIcon()
    {
        const QIcon icon = WindowIcon();
        QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
        QVERIFY(icon.availableSizes().contains(QSize(64, 64)));
        const QImage image = icon.pixmap(QSize(32, 32), 1.0).toImage();
        QCOMPARE(image.size(), QSize(32, 32));
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);   // transparency mask at the corner
        QCOMPARE(qAlpha(image.pixel(16, 16)), 255);
    }

    void formLoad()
    {
        Bar form;
        form.expandAtOnce();
        form.load();
        QVERIFY(!form.isExpanded());
        QCOMPARE(form.openDialog().nameFilters,
                 (QStringList{"All Media Files (*.mp1 *.mp2 *.mp3 *.wav *.wma *.amf *.mp4 *.cda *.mpg *.mpeg *.avi *.wmv)",
                              "All Files (*)"}));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(form.geometry().top(), screen.top());
        QCOMPARE(form.height(), 18);
        QCOMPARE(form.width(), 354);
        const int leftTwips = screen.width() * 15 - 5310 - 850;
        QCOMPARE(form.geometry().left(), screen.left() + Px(leftTwips));
    }

    void barLeft_data()
    {
        QTest::addColumn<int>("screenPixels");
        QTest::addColumn<float>("leftTwips");
        QTest::addColumn<int>("leftPixels");
        QTest::newRow("1024 wide") << 1024 << 9200.0f << 613;
        QTest::newRow("1280 wide") << 1280 << 13040.0f << 869;
        QTest::newRow("1920 wide") << 1920 << 22640.0f << 1509;
        QTest::newRow("too narrow: off the left edge") << 300 << -1660.0f << -111;
    }
    void barLeft()
    {
        QFETCH(int, screenPixels);
        QFETCH(float, leftTwips);
        QFETCH(int, leftPixels);
        const float left = BarLeftTwips(float(screenPixels * 15), 5310.0f);
        QCOMPARE(left, leftTwips);
        QCOMPARE(Px(int(std::lround(left))), leftPixels);
    }

    void region()
    {
        const QRegion r = RoundedRegion();
        QCOMPARE(r.boundingRect(), QRect(0, 0, 350, 139));
        // corners cut, edges between them whole
        for (QPoint p : {QPoint(0, 0), QPoint(349, 0), QPoint(0, 138), QPoint(349, 138), QPoint(5, 5)})
            QVERIFY2(!r.contains(p), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
        for (QPoint p : {QPoint(25, 0), QPoint(324, 0), QPoint(0, 25), QPoint(0, 113), QPoint(349, 69),
                         QPoint(175, 138), QPoint(8, 8)})
            QVERIFY2(r.contains(p), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
        // the four corners are mirror images of each other
        for (int y = 0; y < 139; ++y) {
            for (int x = 0; x < 30; ++x) {
                const bool in = r.contains(QPoint(x, y));
                QCOMPARE(r.contains(QPoint(349 - x, y)), in);
                QCOMPARE(r.contains(QPoint(x, 138 - y)), in);
            }
        }
    }

    void trayTip_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("tip");
        QTest::newRow("our address, padded")
            << MakerAddress
            << (QStringLiteral("Murmelvox - from Kelvaro\n") + MakerAddress + QString(64 - 25 - MakerAddress.size(), ' '));
        QTest::newRow("no address") << QString() << QStringLiteral("Murmelvox - from Kelvaro\n").leftJustified(64, ' ');
        QTest::newRow("long address, cut")
            << QStringLiteral("https://www.kelvaro.example/products/murmelvox/index.html")
            << QStringLiteral("Murmelvox - from Kelvaro\nhttps://www.kelvaro.example/products/mu");
    }
    void trayTip()
    {
        QFETCH(QString, address);
        QFETCH(QString, tip);
        QCOMPARE(TrayTip(address), tip);
        QCOMPARE(TrayTip(address).size(), 64);
    }

    void expandAndCollapse()
    {
        Bar form;
        form.load();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // The panel slides on the event loop: the click returns at once.
        form.togglePanel();
        QVERIFY(!form.isExpanded());
        QTRY_VERIFY(form.isExpanded());
        QCOMPARE(form.height(), 139);
        form.togglePanel();
        QVERIFY(form.isExpanded());
        QTRY_VERIFY(!form.isExpanded());
        QCOMPARE(form.height(), 18);
    }

    // A click on the button while the panel slides out is handled at once
    // and the panel goes on sliding out; one while it slides in waits until
    // the bar is closed, then opens it again.
    void clickDuringTheMotion_data()
    {
        QTest::addColumn<bool>("expanding");
        QTest::newRow("expanding") << true;
        QTest::newRow("collapsing") << false;
    }
    void clickDuringTheMotion()
    {
        QFETCH(bool, expanding);
        Bar form;
        form.load();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        if (!expanding) {
            form.togglePanel();
            QTRY_VERIFY(form.isExpanded());
        }
        // Click as soon as the height has left where it started, and record
        // the heights from then on.
        struct Recorder : QObject {
            Bar *form;
            QList<int> heights;
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() != QEvent::Resize)
                    return false;
                const int h = static_cast<QResizeEvent *>(e)->size().height();
                if (heights.isEmpty() && (h == 18 || h == 139))
                    return false;
                if (heights.isEmpty()) {
                    const QPointF at(3, 3);
                    QMouseEvent press(QEvent::MouseButtonPress, at, control<ImageButton>(*form, "panelButton")->mapToGlobal(at),
                                      Qt::LeftButton, Qt::LeftButton, {});
                    QMouseEvent release(QEvent::MouseButtonRelease, at, control<ImageButton>(*form, "panelButton")->mapToGlobal(at),
                                        Qt::LeftButton, Qt::NoButton, {});
                    QApplication::sendEvent(control<ImageButton>(*form, "panelButton"), &press);
                    QApplication::sendEvent(control<ImageButton>(*form, "panelButton"), &release);
                }
                heights.append(h);
                return false;
            }
        } recorder;
        recorder.form = &form;
        form.installEventFilter(&recorder);
        QSignalSpy clicks(control<ImageButton>(form, "panelButton"), &ImageButton::clicked);
        form.togglePanel();
        QTRY_COMPARE(clicks.count(), 1);
        QTRY_VERIFY(form.isExpanded() && form.height() == 139);
        QTest::qWait(3 * PanelMotionMs);
        QVERIFY(form.isExpanded());
        QCOMPARE(form.height(), 139);
        // Expanding: up all the way. Collapsing: down to closed, then up.
        const qsizetype closed = recorder.heights.indexOf(18);
        QCOMPARE(closed == -1, expanding);
        for (qsizetype i = 1; i < recorder.heights.size(); ++i) {
            const bool down = i <= closed;
            QVERIFY2(down ? recorder.heights[i] < recorder.heights[i - 1] : recorder.heights[i] > recorder.heights[i - 1],
                     qPrintable(QString::number(i)));
        }
    }

    void openDialog_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("file chosen") << true;
        QTest::newRow("cancelled") << false;
    }
    void openDialog()
    {
        QFETCH(bool, accept);
        QTemporaryDir dir;
        const QString media = dir.filePath(QStringLiteral("dictation 1.mp3"));
        QFile(media).open(QIODevice::WriteOnly);
        OpenDialog cd;
        cd.nameFilters = QStringList{"All Media Files (*.mp3 *.wav)", "All Files (*)"};
        cd.title = QStringLiteral("Select Media File");
        QStringList filters;
        QString title;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        bool pictured = false;
        QString kind;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            filters = dialog->nameFilters();
            title = dialog->windowTitle();
            mode = dialog->fileMode();
            if (const QAbstractFileIconProvider *icons = dialog->iconProvider()) {
                pictured = !icons->icon(QFileInfo(media)).isNull() && !icons->icon(QFileInfo(dir.path())).isNull();
                kind = icons->type(QFileInfo(media));
            }
            if (accept) {
                dialog->selectFile(media);
                QMetaObject::invokeMethod(dialog, "accept");
            } else {
                dialog->reject();
            }
        });
        const QString chosen = cd.choose(nullptr);
        QCOMPARE(filters, (QStringList{"All Media Files (*.mp3 *.wav)", "All Files (*)"}));
        QCOMPARE(title, QStringLiteral("Select Media File"));
        QCOMPARE(mode, QFileDialog::ExistingFile);
        // Folders and files keep a picture and a kind, though not the icon theme's.
        QVERIFY(pictured);
        QCOMPARE(kind, QStringLiteral("MP3 File"));
        QCOMPARE(chosen, accept ? media : QString());
    }
};

QTEST_MAIN(TestLayout)
#include "test_layout.moc"
