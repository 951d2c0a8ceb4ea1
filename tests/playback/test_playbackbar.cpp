// SPDX-License-Identifier: GPL-3.0-or-later
// The playback controls of the bar as a typist uses them: the real window,
// the real media engine (no audio output needed) and generated media files,
// with the user's settings in this test's own HOME.
#include "MediaFiles.h"

#include "BarControls.h"

#include "engine/Player.h"
#include "hotkeys/HotKeys.h"
#include "rules/NumberText.h"
#include "rules/Sliders.h"
#include "ui/Bar.h"
#include "ui/PitchView.h"
#include "ui/PositionDisplay.h"
#include "ui/WindCountView.h"
#include "ui/MessageBox.h"
#include "ui/Startup.h"
#include "rules/ResumeStore.h"
#include "rules/SettingsStore.h"

#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <memory>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

struct ShownBox
{
    QString prompt;
    int style;
    QString title;
};

// The open dialog as a typist would answer it: records how it was set up on
// each showing and picks `answer` ("" cancels).
class ScriptedDialog : public OpenDialog
{
public:
    QString answer;
    QStringList titles;
    QList<QStringList> filters;

    QString choose(QWidget *) override
    {
        titles << title;
        filters << nameFilters;
        return answer;
    }
};

const QString NoFileMessage = QStringLiteral("Select a Media File first!");
const QStringList DialogFilters{
    QStringLiteral("All Media Files (*.mp1 *.mp2 *.mp3 *.wav *.wma *.amf *.mp4 *.cda *.mpg *.mpeg *.avi *.wmv)"),
    QStringLiteral("All Files (*)")};

QList<float> Lines(float first, float last)
{
    QList<float> xs;
    for (float x = first; x <= last; x += 30)
        xs.append(x);
    return xs;
}

// Mouse events straight to a control, with the exact buttons held.
void SendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void Press(QWidget *w, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    SendMouse(w, QEvent::MouseButtonPress, pos, button, button);
}

void Release(QWidget *w, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    SendMouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

void Drag(QWidget *w, QPoint pos, Qt::MouseButtons held)
{
    SendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, held);
}

// A drop as the desktop delivers it: onto the bar's window at a point of the
// lower panel, entering first.
void Drop(Bar &form, const QMimeData *data)
{
    const QPoint at = control<ImageButton>(form, "panel")->mapTo(&form, QPoint(40, 60));
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.windowHandle(), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.windowHandle(), &drop);
}

QList<int> Looks(const Bar &form)
{
    QList<int> looks;
    for (const char *name : {"playButton", "pauseButton", "stopButton", "exitButton", "openButton", "panelButton"})
        looks << control<ImageButton>(form, name)->imageIndex();
    return looks;
}

QList<int> Counters(const Bar &form)
{
    const HotKeys::Counts c = form.hotKeys().counts();
    return {c.playPause, c.rewind, c.forward};
}

void SetCounters(const Bar &form, int value)
{
    const auto v = std::int16_t(value);
    form.hotKeys().setCounts({v, v, v});
}

double LabelNumber(const QLabel *label)
{
    return label->text().toDouble();
}

void WriteSettingsFile(const QByteArray &contents)
{
    QSaveFile file(SettingsStore().filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
    QVERIFY(file.commit());
}

QByteArray SettingsBytes()
{
    QFile file(SettingsStore().filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A file made immutable (chattr +i): no one, root included, may replace it.
class ImmutableFile
{
public:
    explicit ImmutableFile(const QString &path) : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC))
    {
        int flags = 0;
        if (m_fd < 0 || ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) != 0)
            return;
        flags |= FS_IMMUTABLE_FL;
        m_set = ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ~ImmutableFile()
    {
        int flags = 0;
        if (m_set && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
        }
        if (m_fd >= 0)
            ::close(m_fd);
    }
    explicit operator bool() const { return m_set; }

private:
    int m_fd;
    bool m_set = false;
};

// Counts the times a file is replaced (renamed into place) in its folder.
class Replacements
{
public:
    explicit Replacements(const QString &path)
        : m_name(QFile::encodeName(QFileInfo(path).fileName())), m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        ::inotify_add_watch(m_fd, QFile::encodeName(QFileInfo(path).absolutePath()).constData(), IN_MOVED_TO);
    }
    ~Replacements() { ::close(m_fd); }
    int count()
    {
        alignas(inotify_event) char buffer[4096];
        ssize_t n;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (char *p = buffer; p < buffer + n;) {
                const auto *event = reinterpret_cast<const inotify_event *>(p);
                if (event->len && m_name == event->name)
                    ++m_count;
                p += sizeof(inotify_event) + event->len;
            }
        }
        return m_count;
    }

private:
    QByteArray m_name;
    int m_fd;
    int m_count = 0;
};

} // namespace

class TestPlaybackBar : public QObject
{
    Q_OBJECT

    std::unique_ptr<Bar> form;
    ScriptedDialog *dialog = nullptr;
    QList<ShownBox> boxes;
    QTemporaryDir scratch;

    // Start-up as startup does it, up to showing the bar: a fresh process's
    // state, the window, its load handler.
    void startBar()
    {
        form.reset();
        form = std::make_unique<Bar>();
        auto scripted = std::make_unique<ScriptedDialog>();
        dialog = scripted.get();
        form->setOpenDialog(std::move(scripted));
        form->load();
        // Expanded (without the animation), so the lower panel shows.
        form->expandAtOnce();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    void openByDrop(const QString &path)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        Drop(*form, &data);
        QTRY_VERIFY(!form->player().isOpening());
    }

    void click(QWidget *w, Qt::MouseButton button = Qt::LeftButton)
    {
        Press(w, QPoint(5, 5), button);
        Release(w, QPoint(5, 5), button);
    }

    TrackSlider *track(const char *name) { return control<TrackSlider>(*form, name); }
    QLabel *caption(const char *name) { return control<QLabel>(*form, name); }
    ImageButton *imageButton(const char *name) { return control<ImageButton>(*form, name); }

    // A pixel column of a track as the press position in twips.
    static QPoint Column(int px) { return QPoint(px, 4); }

private slots:
    void initTestCase()
    {
        useEngineLocale();
        requireMedia();
        QVERIFY(scratch.isValid());
        SetMessageHandler([this](const QString &prompt, int style, const QString &title) {
            boxes.append({prompt, style, title});
            return MessageAnswer::OK;
        });
    }

    void init()
    {
        boxes.clear();
        QFile::remove(SettingsStore().filePath());
        QFile::remove(ResumeStore::defaultFilePath());
        startBar();
    }

    void cleanup()
    {
        form.reset();
    }

    void cleanupTestCase()
    {
        SetMessageHandler({});
    }

    // ------------------------------------------------------------ transport

    void buttonLooks_data()
    {
        QTest::addColumn<QString>("steps");     // button number, d(own) or u(p); r: right button
        QTest::addColumn<QList<int>>("looks");  // images of playButton..panelButton
        QTest::newRow("form start") << "" << QList<int>{1, 2, 3, 7, 9, 11};
        QTest::newRow("play down: playing look at once") << "1d" << QList<int>{4, 2, 3, 7, 9, 11};
        QTest::newRow("play press") << "1d 1u" << QList<int>{4, 2, 3, 7, 9, 11};
        QTest::newRow("pause down after play") << "1d 1u 2d" << QList<int>{4, 5, 3, 7, 9, 11};
        QTest::newRow("pause press after play") << "1d 1u 2d 2u" << QList<int>{1, 5, 3, 7, 9, 11};
        QTest::newRow("stop press after pause") << "2d 2u 3d 3u" << QList<int>{1, 2, 6, 7, 9, 11};
        QTest::newRow("play after stop") << "3d 3u 1d 1u" << QList<int>{4, 2, 3, 7, 9, 11};
        QTest::newRow("right button on play") << "1dr 1ur" << QList<int>{4, 2, 3, 7, 9, 11};
        QTest::newRow("exit held down") << "4dr" << QList<int>{1, 2, 3, 8, 9, 11};
        QTest::newRow("exit released") << "4dr 4ur" << QList<int>{1, 2, 3, 7, 9, 11};
        QTest::newRow("open held down") << "5dr" << QList<int>{1, 2, 3, 7, 10, 11};
        QTest::newRow("open released") << "5dr 5ur" << QList<int>{1, 2, 3, 7, 9, 11};
        QTest::newRow("expand held down") << "6dr" << QList<int>{1, 2, 3, 7, 9, 12};
        QTest::newRow("expand released") << "6dr 6ur" << QList<int>{1, 2, 3, 7, 9, 11};
    }
    void buttonLooks()
    {
        QFETCH(QString, steps);
        QFETCH(QList<int>, looks);
        ImageButton *const buttons[] = {imageButton("playButton"), imageButton("pauseButton"), imageButton("stopButton"),
                                       imageButton("exitButton"), imageButton("openButton"), imageButton("panelButton")};
        for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            ImageButton *box = buttons[step[0].digitValue() - 1];
            const Qt::MouseButton button = step.endsWith(QLatin1Char('r')) ? Qt::RightButton : Qt::LeftButton;
            if (step[1] == QLatin1Char('d'))
                Press(box, QPoint(5, 5), button);
            else
                Release(box, QPoint(5, 5), button);
        }
        QCOMPARE(Looks(*form), looks);
    }

    void refusedWithoutFile_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QList<int>>("looks");
        QTest::newRow("play") << 1 << QList<int>{4, 2, 3};
        QTest::newRow("pause") << 2 << QList<int>{1, 5, 3};
        QTest::newRow("stop") << 3 << QList<int>{1, 2, 6};
    }
    void refusedWithoutFile()
    {
        QFETCH(int, button);
        QFETCH(QList<int>, looks);
        SetCounters(*form, 1);
        ImageButton *box = QList<ImageButton *>{imageButton("playButton"), imageButton("pauseButton"), imageButton("stopButton")}[button - 1];
        click(box);
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].prompt, NoFileMessage);
        QCOMPARE(boxes[0].style, 16);
        QCOMPARE(boxes[0].title, QStringLiteral("Murmelvox"));
        // The look changed on the press and stays; nothing else happened.
        QCOMPARE(Looks(*form).mid(0, 3), looks);
        QCOMPARE(Counters(*form), (QList<int>{1, 1, 1}));
        QCOMPARE(form->player().playState(), MediaPlayer::NoFile);
    }

    void playPauseStop()
    {
        openByDrop(mediaFile(QStringLiteral("tone.wav")));
        QCOMPARE(form->player().playState(), MediaPlayer::Stopped);

        // Pause while stopped: no command, yet the paused look and cleared counters.
        SetCounters(*form, 3);
        click(imageButton("pauseButton"));
        QCOMPARE(form->player().playState(), MediaPlayer::Stopped);
        QCOMPARE(Looks(*form).mid(0, 3), (QList<int>{1, 5, 3}));
        QCOMPARE(Counters(*form), (QList<int>{0, 0, 0}));

        SetCounters(*form, 1);
        click(imageButton("playButton"));
        QCOMPARE(form->player().playState(), MediaPlayer::Playing);
        QCOMPARE(Counters(*form), (QList<int>{2, 0, 0}));
        QCOMPARE(Looks(*form).mid(0, 3), (QList<int>{4, 2, 3}));
        // The timer shows the time running.
        QTRY_VERIFY_WITH_TIMEOUT(LabelNumber(caption("positionLabel")) >= 1.5, 5000);
        QVERIFY2(caption("timeLabel")->text().endsWith(QStringLiteral(" / 0:20")), qPrintable(caption("timeLabel")->text()));

        SetCounters(*form, 2);
        click(imageButton("pauseButton"));
        QVERIFY(form->player().playState() != MediaPlayer::Playing);
        QCOMPARE(Counters(*form), (QList<int>{0, 0, 0}));
        QCOMPARE(Looks(*form).mid(0, 3), (QList<int>{1, 5, 3}));
        // Paused: the display stands still.
        QTest::qWait(250);
        const QString held = caption("positionLabel")->text();
        QTest::qWait(400);
        QCOMPARE(caption("positionLabel")->text(), held);
        QVERIFY(LabelNumber(caption("positionLabel")) >= 1.5);

        // Pause again: still paused where it was.
        click(imageButton("pauseButton"));
        QTest::qWait(300);
        QCOMPARE(caption("positionLabel")->text(), held);
        QVERIFY(form->player().playState() != MediaPlayer::Playing);

        // Stop goes back to the start; the next Play plays from there.
        SetCounters(*form, 2);
        click(imageButton("stopButton"));
        QCOMPARE(form->player().position(), 0.0);
        QCOMPARE(Counters(*form), (QList<int>{0, 0, 0}));
        QCOMPARE(Looks(*form).mid(0, 3), (QList<int>{1, 2, 6}));
        QTRY_COMPARE(caption("positionLabel")->text(), QStringLiteral("0"));
        click(imageButton("playButton"));
        QCOMPARE(form->player().playState(), MediaPlayer::Playing);
        QTRY_VERIFY(LabelNumber(caption("positionLabel")) > 0);
        QVERIFY(form->player().position() < held.toDouble());
        QVERIFY(boxes.isEmpty());
    }

    // ------------------------------------------------------ position display

    void timeLabel()
    {
        form->positionDisplay().showPosition();
        QCOMPARE(caption("timeLabel")->text(), QStringLiteral("0:0/0:0"));

        openByDrop(mediaFile(QStringLiteral("tone.wav")));
        form->player().engine().setCurrentPosition(12.5);
        form->positionDisplay().showPosition();
        QCOMPARE(caption("timeLabel")->text(), QStringLiteral("0:12 / 0:20"));
        QCOMPARE(caption("positionLabel")->text(), QStringLiteral("12.5"));

        // A double-click on the time label shows the remaining time from the
        // next tick on; a second one switches back.
        QTest::mouseDClick(caption("timeLabel"), Qt::LeftButton);
        QTRY_COMPARE(caption("timeLabel")->text(), QStringLiteral("0:7 / 0:20"));
        QTest::mouseDClick(caption("timeLabel"), Qt::LeftButton);
        QTRY_COMPARE(caption("timeLabel")->text(), QStringLiteral("0:12 / 0:20"));

        form->player().engine().setCurrentPosition(3.456);
        form->positionDisplay().showPosition();
        QCOMPARE(caption("positionLabel")->text(), QStringLiteral("3.46"));
    }

    // -------------------------------------------------------------- opening

    void openThroughDialog()
    {
        const QString dir = scratch.filePath(QStringLiteral("dialog"));
        QVERIFY(QDir().mkpath(dir));
        const QString path = dir + QStringLiteral("/Interview_0412_Final.MP3");
        QFile::remove(path);
        QVERIFY(QFile::copy(mediaFile(QStringLiteral("speech.mp3")), path));

        QCOMPARE(dialog->filters.size(), 0);
        dialog->answer = path;
        click(imageButton("openButton"));
        QTRY_VERIFY(!form->player().isOpening());
        QCOMPARE(dialog->titles, QStringList{QStringLiteral("Murmelvox .::. Select a Voice file...")});
        QCOMPARE(dialog->filters, QList<QStringList>{DialogFilters});
        QCOMPARE(caption("fileLabel")->text(), QStringLiteral("interview_0412_"));
        QCOMPARE(caption("fileLabel")->toolTip(), QStringLiteral(" Interview_0412_Final.MP3 "));
        QVERIFY(form->player().playState() != MediaPlayer::NoFile);
        QVERIFY(form->player().duration() > 20);
        QVERIFY(!caption("fileLabel")->font().strikeOut());

        // Cancelled: nothing changes.
        dialog->answer.clear();
        const double duration = form->player().duration();
        click(imageButton("openButton"));
        QTRY_VERIFY(!form->player().isOpening());
        QCOMPARE(dialog->titles.size(), 2);
        QCOMPARE(caption("fileLabel")->text(), QStringLiteral("interview_0412_"));
        QCOMPARE(caption("fileLabel")->toolTip(), QStringLiteral(" Interview_0412_Final.MP3 "));
        QCOMPARE(form->player().duration(), duration);

        // A short name shows whole, in lower case, and replaces the open file.
        dialog->answer = mediaFile(QStringLiteral("short.wav"));
        click(imageButton("openButton"));
        QTRY_VERIFY(!form->player().isOpening());
        QCOMPARE(caption("fileLabel")->text(), QStringLiteral("short.wav"));
        QCOMPARE(caption("fileLabel")->toolTip(), QStringLiteral(" short.wav "));
        QVERIFY(form->player().duration() < 3);
        QVERIFY(boxes.isEmpty());
    }

    void drop_data()
    {
        QTest::addColumn<QStringList>("files");   // media names or absolute paths
        QTest::addColumn<QString>("text");        // dragged text, if any
        QTest::addColumn<QString>("opened");      // "" when nothing opens
        QTest::addColumn<bool>("playable");
        QTest::newRow("one file") << QStringList{"tone.wav"} << "" << "tone.wav" << true;
        QTest::newRow("two files: the first") << QStringList{"short.wav", "tone.wav"} << "" << "short.wav" << true;
        QTest::newRow("blank and quote in the name") << QStringList{"names/quote\"double.wav"} << "" << "names/quote\"double.wav" << true;
        QTest::newRow("line feed in the name") << QStringList{"names/new\nline.wav"} << "" << "names/new\nline.wav" << true;
        QTest::newRow("text, not audio") << QStringList{"text.mp3"} << "" << "text.mp3" << false;
        QTest::newRow("empty file") << QStringList{"empty.mp3"} << "" << "empty.mp3" << false;
        QTest::newRow("dragged text") << QStringList() << "some words" << "" << false;
        QTest::newRow("web link") << QStringList{"https://example.org/memo.mp3"} << "" << "" << false;
    }
    void drop()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, text);
        QFETCH(QString, opened);
        QFETCH(bool, playable);

        QMimeData data;
        QList<QUrl> urls;
        for (const QString &f : files)
            urls << (f.startsWith(QStringLiteral("https:")) ? QUrl(f) : QUrl::fromLocalFile(mediaFile(f)));
        if (!urls.isEmpty())
            data.setUrls(urls);
        if (!text.isEmpty())
            data.setText(text);
        Drop(*form, &data);
        QTRY_VERIFY(!form->player().isOpening());
        form->positionDisplay().showPosition();

        if (opened.isEmpty()) {
            QCOMPARE(caption("fileLabel")->text(), QString());
            QCOMPARE(caption("fileLabel")->toolTip(), QString());
            QCOMPARE(form->player().playState(), MediaPlayer::NoFile);
            return;
        }
        const QString path = mediaFile(opened);
        // The file's name, as the open dialog shows it, not its folder.
        QCOMPARE(caption("fileLabel")->text(), QFileInfo(path).fileName().left(15).toLower());
        QCOMPARE(caption("fileLabel")->toolTip(), QLatin1Char(' ') + path + QLatin1Char(' '));
        QCOMPARE(form->player().playState() != MediaPlayer::NoFile, playable);
        // A file that cannot play: the name is struck through, the time
        // reads as with no file, and the transport still refuses.
        QCOMPARE(caption("fileLabel")->font().strikeOut(), !playable);
        if (!playable) {
            QCOMPARE(caption("timeLabel")->text(), QStringLiteral("0:0/0:0"));
            click(imageButton("playButton"));
            QCOMPARE(boxes.size(), 1);
            QCOMPARE(boxes[0].prompt, NoFileMessage);
        } else {
            QVERIFY(caption("timeLabel")->text().contains(QStringLiteral(" / ")));
        }
    }

    void labelSaysWhereItResumed_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::newRow("resuming on") << true;
        QTest::newRow("resuming off, restarted") << false;
    }
    void labelSaysWhereItResumed()
    {
        QFETCH(bool, enabled);
        if (!enabled) {
            QVERIFY(SetResumeEnabled(form->settings(), false));
            startBar();
        }
        const QString tone = mediaFile(QStringLiteral("tone.wav"));
        openByDrop(tone);
        form->player().jumpTo(64.5 / 5); // 12.9 s
        form->player().play();
        form->player().pause();
        openByDrop(mediaFile(QStringLiteral("short.wav")));
        openByDrop(tone);
        QTest::qWait(0);
        const QString note = enabled ? QStringLiteral("Resumed at 0:12") : QString();
        QCOMPARE(caption("fileLabel")->toolTip(), QLatin1Char(' ') + tone + QLatin1Char(' ') + (enabled ? QLatin1Char('\n') + note : QString()));
        QCOMPARE(caption("fileLabel")->accessibleDescription(), note);
        QCOMPARE(form->player().position() > 12, enabled);
        openByDrop(mediaFile(QStringLiteral("short.wav")));
        QTest::qWait(0);
        QCOMPARE(caption("fileLabel")->accessibleDescription(), QString());
    }

    void goodFileAfterBadOne()
    {
        openByDrop(mediaFile(QStringLiteral("text.mp3")));
        QVERIFY(caption("fileLabel")->font().strikeOut());
        openByDrop(mediaFile(QStringLiteral("short.wav")));
        QVERIFY(!caption("fileLabel")->font().strikeOut());
        QCOMPARE(form->player().playState(), MediaPlayer::Stopped);

        // The tick follows the player: a file that opens only later (the
        // player's own open stands in here) is no longer struck through.
        openByDrop(mediaFile(QStringLiteral("empty.mp3")));
        QVERIFY(caption("fileLabel")->font().strikeOut());
        QCOMPARE(caption("fileLabel")->accessibleDescription(), QStringLiteral("The file could not be opened."));
        openNow(form->player().engine(), mediaFile(QStringLiteral("short.wav")));
        form->positionDisplay().showPosition();
        QVERIFY(!caption("fileLabel")->font().strikeOut());
        QCOMPARE(caption("fileLabel")->accessibleDescription(), QString());
    }

    // ---------------------------------------------------------------- pitch

    void pitchAtStartUp()
    {
        QCOMPARE(form->player().rate(), 1.0);
        QCOMPARE(track("pitchTrack")->lineXs(), Lines(10, 970));
        QCOMPARE(caption("pitchLabel")->text(), QStringLiteral("Pitch 1"));
    }

    void pitchPress_data()
    {
        QTest::addColumn<int>("column");        // pixel column pressed
        QTest::addColumn<int>("button");
        QTest::addColumn<double>("rate");
        QTest::addColumn<QList<float>>("lines");
        QTest::newRow("1.5") << 100 << int(Qt::LeftButton) << 1.5 << Lines(10, 1480);
        QTest::newRow("second column: 0.015") << 1 << int(Qt::LeftButton) << 0.015 << QList<float>();
        QTest::newRow("first column: rate kept") << 0 << int(Qt::LeftButton) << 1.0 << QList<float>();
        QTest::newRow("right button") << 50 << int(Qt::RightButton) << 0.75 << Lines(10, 730);
        QTest::newRow("middle button") << 120 << int(Qt::MiddleButton) << 1.8 << Lines(10, 1780);
    }
    void pitchPress()
    {
        QFETCH(int, column);
        QFETCH(int, button);
        QFETCH(double, rate);
        QFETCH(QList<float>, lines);
        Press(track("pitchTrack"), Column(column), Qt::MouseButton(button));
        Release(track("pitchTrack"), Column(column), Qt::MouseButton(button));
        QCOMPARE(form->player().rate(), rate);
        QCOMPARE(track("pitchTrack")->lineXs(), lines);
        QCOMPARE(caption("pitchLabel")->text(), QStringLiteral("Pitch ") + QString::number(rate));
    }

    void pitchDrag()
    {
        Press(track("pitchTrack"), Column(100));
        Drag(track("pitchTrack"), Column(40), Qt::LeftButton);
        QCOMPARE(form->player().rate(), 0.6);
        QCOMPARE(track("pitchTrack")->lineXs(), Lines(10, 580));
        QCOMPARE(caption("pitchLabel")->text(), QStringLiteral("Pitch 0.6"));

        // Other buttons, or a second one held, drag nothing.
        Drag(track("pitchTrack"), Column(80), Qt::RightButton);
        Drag(track("pitchTrack"), Column(80), Qt::LeftButton | Qt::RightButton);
        Drag(track("pitchTrack"), Column(80), Qt::MiddleButton);
        QCOMPARE(form->player().rate(), 0.6);
        QCOMPARE(track("pitchTrack")->lineXs(), Lines(10, 580));

        // Past the left edge: an empty bar, rate and label kept.
        Drag(track("pitchTrack"), Column(-10), Qt::LeftButton);
        QCOMPARE(track("pitchTrack")->lineXs(), QList<float>());
        QCOMPARE(form->player().rate(), 0.6);
        QCOMPARE(caption("pitchLabel")->text(), QStringLiteral("Pitch 0.6"));

        // Past the right edge: the bar fills the track, the rate is kept.
        Drag(track("pitchTrack"), Column(200), Qt::LeftButton);
        QCOMPARE(track("pitchTrack")->lineXs(), Lines(10, 1990));
        QCOMPARE(form->player().rate(), 0.6);
        Release(track("pitchTrack"), Column(200));
    }

    void pitchDoubleClickAndGlyphs()
    {
        Press(track("pitchTrack"), Column(120));
        QCOMPARE(form->player().rate(), 1.8);
        QTest::mouseDClick(track("pitchTrack"), Qt::LeftButton, {}, Column(30));
        QCOMPARE(form->player().rate(), 1.0);
        QCOMPARE(caption("pitchLabel")->text(), QStringLiteral("Pitch 1"));
        QCOMPARE(track("pitchTrack")->lineXs(), Lines(10, 970));

        QTest::mouseClick(caption("pitchUp"), Qt::LeftButton);
        QCOMPARE(form->player().rate(), 1.01);
        QCOMPARE(caption("pitchLabel")->text(), QStringLiteral("Pitch 1.01"));
        QCOMPARE(track("pitchTrack")->lineXs(), Lines(10, 1000));
        QTest::mouseClick(caption("pitchDown"), Qt::LeftButton);
        QTest::mouseClick(caption("pitchDown"), Qt::LeftButton);
        QCOMPARE(caption("pitchLabel")->text(), QStringLiteral("Pitch 0.99"));
        QCOMPARE(track("pitchTrack")->lineXs(), Lines(10, 970));

        // Keyboard users step like the glyphs.
        track("pitchTrack")->setFocus();
        QTest::keyClick(track("pitchTrack"), Qt::Key_Right);
        QCOMPARE(caption("pitchLabel")->text(), QStringLiteral("Pitch 1"));
    }

    void pitchGlyphsWithoutBounds()
    {
        openByDrop(mediaFile(QStringLiteral("short.wav")));
        click(imageButton("playButton"));
        Press(track("pitchTrack"), Column(1)); // 0.015
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(caption("pitchDown"), Qt::LeftButton);
        // Whatever the engine makes of a rate at or below zero, the label
        // shows what it reads back and the program goes on.
        QCOMPARE(caption("pitchLabel")->text(), QStringLiteral("Pitch ") + NumberText(form->player().rate()));
        QTest::mouseDClick(track("pitchTrack"), Qt::LeftButton, {}, Column(30));
        QCOMPARE(form->player().rate(), 1.0);

        Press(track("pitchTrack"), Column(132)); // 1.98
        for (int i = 0; i < 5; ++i)
            QTest::mouseClick(caption("pitchUp"), Qt::LeftButton);
        QCOMPARE(form->player().rate(), 2.03);
        QCOMPARE(caption("pitchLabel")->text(), QStringLiteral("Pitch 2.03"));
        QCOMPARE(track("pitchTrack")->lineXs(), Lines(10, 1990));
        QTest::qWait(200);
        QCOMPARE(form->player().playState(), MediaPlayer::Playing);
    }

    // A press is drawn and applied at once, without running the events
    // waiting meanwhile; a drag step that was waiting follows it, and its
    // position is the one that stands.
    void pitchNewestPositionStands()
    {
        const QPoint newer = Column(20); // 300 twips
        QCoreApplication::postEvent(track("pitchTrack"),
            new QMouseEvent(QEvent::MouseMove, QPointF(newer), track("pitchTrack")->mapToGlobal(QPointF(newer)),
                            Qt::NoButton, Qt::LeftButton, Qt::NoModifier));
        form->pitch().setPitchAt(1800);
        QCOMPARE(form->player().rate(), 1.8);
        QCOMPARE(track("pitchTrack")->lineXs(), Lines(10, 1780));
        QCoreApplication::processEvents();
        QCOMPARE(form->player().rate(), 0.3);
        QCOMPARE(track("pitchTrack")->lineXs(), Lines(10, 280));
        QCOMPARE(caption("pitchLabel")->text(), QStringLiteral("Pitch 0.3"));
    }

    void tracksKeepTheirDrawing()
    {
        Press(track("pitchTrack"), Column(100));
        Press(track("windTrack"), Column(30));
        imageButton("panel")->hide();
        QCoreApplication::processEvents();
        imageButton("panel")->show();
        for (TrackSlider *track : {track("pitchTrack"), track("windTrack")}) {
            const QImage image = track->grab().toImage();
            // The first line, at 10 twips, lies in the first pixel column.
            QCOMPARE(image.pixelColor(0, 4), QColor(Qt::white));
            QCOMPARE(image.pixelColor(1, 4), QColor(64, 64, 64));    // between lines
            QCOMPARE(image.pixelColor(107, 4), QColor(64, 64, 64));  // past the bar
        }
    }

    // ----------------------------------------------------------- wind count

    void windCountAtFirstStart()
    {
        QCOMPARE(form->windCount().windCount(), 520.0f);
        QCOMPARE(caption("windLabel")->text(), QStringLiteral("Wind Count 3"));
        QCOMPARE(track("windTrack")->lineXs(), Lines(10, 490));
        QCOMPARE(SettingsStore().value(QStringLiteral("WindCount"), QString()), QStringLiteral(" 520"));
    }

    void windCountPress_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("button");
        QTest::addColumn<float>("windCount");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QList<float>>("lines");
        QTest::newRow("450: label is the jump") << 30 << int(Qt::LeftButton) << 460.0f << "Wind Count 3" << Lines(10, 430);
        QTest::newRow("last pixel 1620") << 108 << int(Qt::LeftButton) << 1630.0f << "Wind Count 10" << Lines(10, 1600);
        QTest::newRow("one line: 30") << 2 << int(Qt::LeftButton) << 40.0f << "Wind Count 0" << Lines(10, 10);
        QTest::newRow("first column") << 0 << int(Qt::LeftButton) << 10.0f << "Wind Count 0" << QList<float>();
        QTest::newRow("past the right end") << 110 << int(Qt::LeftButton) << 1630.0f << "Wind Count 10" << Lines(10, 1600);
        QTest::newRow("right button") << 30 << int(Qt::RightButton) << 460.0f << "Wind Count 3" << Lines(10, 430);
        QTest::newRow("middle button") << 60 << int(Qt::MiddleButton) << 910.0f << "Wind Count 6" << Lines(10, 880);
    }
    void windCountPress()
    {
        QFETCH(int, column);
        QFETCH(int, button);
        QFETCH(float, windCount);
        QFETCH(QString, label);
        QFETCH(QList<float>, lines);
        Press(track("windTrack"), Column(column), Qt::MouseButton(button));
        Release(track("windTrack"), Column(column), Qt::MouseButton(button));
        QCOMPARE(form->windCount().windCount(), windCount);
        QCOMPARE(caption("windLabel")->text(), label);
        QCOMPARE(track("windTrack")->lineXs(), lines);
        QCOMPARE(SettingsStore().value(QStringLiteral("WindCount"), QString()), WindCountStoredText(windCount));
    }

    void windCountDrag()
    {
        Press(track("windTrack"), Column(30));
        Drag(track("windTrack"), Column(60), Qt::LeftButton);
        QCOMPARE(form->windCount().windCount(), 910.0f);
        QCOMPARE(caption("windLabel")->text(), QStringLiteral("Wind Count 6"));

        Drag(track("windTrack"), Column(20), Qt::RightButton);
        Drag(track("windTrack"), Column(20), Qt::LeftButton | Qt::RightButton);
        QCOMPARE(form->windCount().windCount(), 910.0f);
        QCOMPARE(SettingsStore().value(QStringLiteral("WindCount"), QString()), QStringLiteral(" 910"));

        // Dragged past the right edge, a little or far: the full track, and
        // the label, the bar and what is stored all say 10 seconds.
        for (const QPoint &past : {QPoint(110, 4), QPoint(114, 4), QPoint(400, 4)}) {
            Press(track("windTrack"), Column(30));
            Drag(track("windTrack"), past, Qt::LeftButton);
            QCOMPARE(form->windCount().windCount(), 1630.0f);
            QCOMPARE(track("windTrack")->lineXs(), Lines(10, 1600));
            QCOMPARE(caption("windLabel")->text(), QStringLiteral("Wind Count 10"));
            QCOMPARE(SettingsStore().value(QStringLiteral("WindCount"), QString()), QStringLiteral(" 1630"));
            Release(track("windTrack"), past);
        }

        // Past the left edge.
        Drag(track("windTrack"), Column(-20), Qt::LeftButton);
        QCOMPARE(form->windCount().windCount(), 10.0f);
        QCOMPARE(track("windTrack")->lineXs(), QList<float>());
        QCOMPARE(caption("windLabel")->text(), QStringLiteral("Wind Count 0"));
        Release(track("windTrack"), Column(-20));

        QTest::mouseDClick(track("windTrack"), Qt::LeftButton, {}, Column(100));
        QCOMPARE(form->windCount().windCount(), 520.0f);
        QCOMPARE(caption("windLabel")->text(), QStringLiteral("Wind Count 3"));
        QCOMPARE(track("windTrack")->lineXs(), Lines(10, 490));
        QCOMPARE(SettingsStore().value(QStringLiteral("WindCount"), QString()), QStringLiteral(" 520"));
    }

    void windCountNewestPositionStands()
    {
        const QPoint newer = Column(10); // 150 twips
        QCoreApplication::postEvent(track("windTrack"),
            new QMouseEvent(QEvent::MouseMove, QPointF(newer), track("windTrack")->mapToGlobal(QPointF(newer)),
                            Qt::NoButton, Qt::LeftButton, Qt::NoModifier));
        form->windCount().setWindCountAt(1500);
        QCOMPARE(form->windCount().windCount(), 1510.0f);
        QCOMPARE(caption("windLabel")->text(), QStringLiteral("Wind Count 10"));
        QCoreApplication::processEvents();
        QCOMPARE(form->windCount().windCount(), 160.0f);
        QCOMPARE(track("windTrack")->lineXs(), Lines(10, 130));
        QCOMPARE(caption("windLabel")->text(), QStringLiteral("Wind Count 1"));
        QCOMPARE(SettingsStore().value(QStringLiteral("WindCount"), QString()), QStringLiteral(" 160"));
    }

    void windCountKeyboard()
    {
        track("windTrack")->setFocus();
        QTest::keyClick(track("windTrack"), Qt::Key_Right);
        QVERIFY(form->windCount().windCount() > 520.0f);
        QCOMPARE(SettingsStore().value(QStringLiteral("WindCount"), QString()), WindCountStoredText(form->windCount().windCount()));
        QTest::keyClick(track("windTrack"), Qt::Key_Left);
        QCOMPARE(form->windCount().windCount(), 520.0f);
    }

    // The presses never wait for the file: the wind count is written once
    // after them, with the file's other sections kept.
    void windCountWrittenAfterThePresses()
    {
        SettingsStore().finishWrites();
        WriteSettingsFile("[config]\nWindCount=\" 520\"\n\n[pedals]\nleft=nothing\n");
        const QByteArray before = SettingsBytes();
        Replacements replaced(SettingsStore().filePath());
        for (int column : {30, 60, 108}) {
            Press(track("windTrack"), Column(column));
            Release(track("windTrack"), Column(column));
        }
        QCOMPARE(SettingsBytes(), before);
        QCOMPARE(SettingsStore().value(QStringLiteral("WindCount"), QString()), QStringLiteral(" 1630"));
        SettingsStore().finishWrites();
        QCOMPARE(replaced.count(), 1);
        const QByteArray after = SettingsBytes();
        QVERIFY2(after.contains("WindCount=\" 1630\"") && after.contains("[pedals]\nleft=nothing"), after.constData());
    }

    // A wind count that cannot be stored is still the bar's, and the user is
    // told, once.
    void windCountNotSavedIsToldOnce()
    {
        SettingsStore().finishWrites();
        const ImmutableFile locked(SettingsStore().filePath());
        if (!locked)
            QSKIP("this file system cannot make a file immutable");
        for (int column : {30, 60}) {
            Press(track("windTrack"), Column(column));
            Release(track("windTrack"), Column(column));
            SettingsStore().finishWrites();
            QCoreApplication::processEvents();
        }
        QCOMPARE(form->windCount().windCount(), 910.0f);
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].prompt, QStringLiteral("The wind count could not be saved to %1.").arg(SettingsStore().filePath()));
        QCOMPARE(boxes[0].style, MessageStyle::Critical);
        QCOMPARE(SettingsBytes(), QByteArray("[config]\nWindCount=\" 520\"\n"));
    }

    // What the user left is there after a restart with the same settings.
    void windCountAfterRestart()
    {
        Press(track("windTrack"), Column(108));
        QCOMPARE(form->windCount().windCount(), 1630.0f);
        startBar();
        QCOMPARE(form->windCount().windCount(), 1630.0f);
        QCOMPARE(caption("windLabel")->text(), QStringLiteral("Wind Count 10"));
        QCOMPARE(track("windTrack")->lineXs(), Lines(10, 1600));
        QCOMPARE(SettingsStore().value(QStringLiteral("WindCount"), QString()), QStringLiteral(" 1630"));
        // The rate is not kept: every start plays at normal speed.
        QCOMPARE(form->player().rate(), 1.0);
        QCOMPARE(caption("pitchLabel")->text(), QStringLiteral("Pitch 1"));
    }

    void windCountFromEditedSettings_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<float>("windCount");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("stored");
        QTest::newRow("missing") << QByteArray() << 520.0f << "Wind Count 3" << " 520";
        QTest::newRow("stored form") << QByteArray("[config]\nWindCount=\" 460\"\n") << 460.0f << "Wind Count 3" << " 460";
        QTest::newRow("edited with junk after") << QByteArray("[config]\nWindCount=700abc\n") << 700.0f << "Wind Count 4" << " 700";
        // No number at all: the default, so the wind keys keep working.
        QTest::newRow("junk") << QByteArray("[config]\nWindCount=abc\n") << 520.0f << "Wind Count 3" << " 520";
        QTest::newRow("nan") << QByteArray("[config]\nWindCount=nan\n") << 520.0f << "Wind Count 3" << " 520";
        QTest::newRow("empty") << QByteArray("[config]\nWindCount=\n") << 520.0f << "Wind Count 3" << " 520";
        QTest::newRow("negative") << QByteArray("[config]\nWindCount=-300\n") << 10.0f << "Wind Count 0" << " 10";
        // Beyond what the track makes: brought within it.
        QTest::newRow("1650") << QByteArray("[config]\nWindCount=1650\n") << 1630.0f << "Wind Count 10" << " 1630";
        QTest::newRow("99999") << QByteArray("[config]\nWindCount=\" 99999\"\n") << 1630.0f << "Wind Count 10" << " 1630";
        QTest::newRow("beyond single precision") << QByteArray("[config]\nWindCount=1e39\n") << 1630.0f << "Wind Count 10" << " 1630";
        QTest::newRow("binary garbage") << QByteArray("\x00\xff[conf\x01\nWind\xfe=\x02\n", 16) << 520.0f << "Wind Count 3" << " 520";
    }
    void windCountFromEditedSettings()
    {
        QFETCH(QByteArray, file);
        QFETCH(float, windCount);
        QFETCH(QString, label);
        QFETCH(QString, stored);
        form.reset();
        if (file.isNull())
            QVERIFY(QFile::remove(SettingsStore().filePath()));
        else
            WriteSettingsFile(file);
        startBar();
        QCOMPARE(form->windCount().windCount(), windCount);
        QCOMPARE(caption("windLabel")->text(), label);
        QCOMPARE(SettingsStore().value(QStringLiteral("WindCount"), QString()), stored);
    }
};

QTEST_MAIN(TestPlaybackBar)
#include "test_playbackbar.moc"
