// SPDX-License-Identifier: GPL-3.0-or-later
// The arithmetic behind the bar's playback displays: time text, pitch and
// wind-count tracks, the stored wind count and the file-name label.
#include "rules/FileLabel.h"
#include "rules/Sliders.h"
#include "rules/TimeText.h"

#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <cmath>
#include <limits>

namespace {

QList<float> Lines(float first, float last)
{
    QList<float> xs;
    for (float x = first; x <= last; x += 30)
        xs.append(x);
    return xs;
}

} // namespace

class TestPlaybackLogic : public QObject
{
    Q_OBJECT
private slots:
    void timeCaption_data()
    {
        QTest::addColumn<double>("point");
        QTest::addColumn<double>("length");
        QTest::addColumn<QString>("caption");
        QTest::newRow("elapsed 125.7 of 760.2") << 125.7 << 760.2 << "2:5 / 12:40";
        QTest::newRow("remaining 634.5 of 760.2") << (760.2 - 125.7) << 760.2 << "10:34 / 12:40";
        QTest::newRow("start") << 0.0 << 3.0 << "0:0 / 0:3";
        QTest::newRow("seconds truncated, not rounded") << 59.7 << 119.999 << "0:59 / 1:59";
        QTest::newRow("whole seconds exact (61 s)") << 61.0 << 65.0 << "1:1 / 1:5";
        QTest::newRow("whole seconds exact (70 s, 3 h 1 s)") << 70.0 << 10801.0 << "1:10 / 180:1";
        QTest::newRow("remaining past the end") << -0.4 << 10.0 << "0:0 / 0:10";
        QTest::newRow("remaining well past the end") << -90.0 << 10.0 << "-1:-30 / 0:10";
        QTest::newRow("no sign, no leading zeros") << 605.25 << 3600.0 << "10:5 / 60:0";
        QTest::newRow("unknown length") << 1.0 << std::numeric_limits<double>::quiet_NaN() << "0:1 / 0:0";
    }
    void timeCaption()
    {
        QFETCH(double, point);
        QFETCH(double, length);
        QFETCH(QString, caption);
        QCOMPARE(TimeCaption(point, length), caption);
    }

    void wholeSecondsNeverOffByOne()
    {
        for (int t = 0; t < 36000; ++t) {
            const QString expected = QString::number(t / 60) + QLatin1Char(':') + QString::number(t % 60);
            QCOMPARE(MinutesSeconds(t), expected);
            QCOMPARE(MinutesSeconds(t + 0.999), expected);
        }
    }

    void pitchPlan_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<QList<float>>("lines");
        QTest::addColumn<bool>("setsRate");
        QTest::addColumn<double>("rate");
        QTest::newRow("start-up 1000") << 1000.0f << Lines(10, 970) << true << 1.0;
        QTest::newRow("1500") << 1500.0f << Lines(10, 1480) << true << 1.5;
        QTest::newRow("second pixel column 15") << 15.0f << QList<float>() << true << 0.015;
        QTest::newRow("first pixel column 0") << 0.0f << QList<float>() << false << 0.0;
        QTest::newRow("left of the track") << -300.0f << QList<float>() << false << 0.0;
        QTest::newRow("last pixel 1995") << 1995.0f << Lines(10, 1960) << true << 1.995;
        QTest::newRow("right edge 2000 excluded") << 2000.0f << Lines(10, 1990) << false << 0.0;
        QTest::newRow("past the right edge") << 2600.0f << Lines(10, 1990) << false << 0.0;
        QTest::newRow("huge position from glyph clicks") << 3.0e9f << Lines(10, 1990) << false << 0.0;
        QTest::newRow("infinite position") << std::numeric_limits<float>::infinity() << Lines(10, 1990) << false << 0.0;
        QTest::newRow("rate 1.01 from glyph") << 1010.0f << Lines(10, 1000) << true << 1.01;
        QTest::newRow("rate 0.99 from glyph") << 990.0f << Lines(10, 970) << true << 0.99;
    }
    void pitchPlan()
    {
        QFETCH(float, x);
        QFETCH(QList<float>, lines);
        QFETCH(bool, setsRate);
        QFETCH(double, rate);
        const PitchPlan plan = PlanPitch(x);
        QCOMPARE(plan.lines, lines);
        QCOMPARE(plan.rate.has_value(), setsRate);
        if (setsRate)
            QCOMPARE(*plan.rate, rate); // a double quotient: 1010 / 1000 is 1.01, not 1.00999999
    }

    // A track's lines and its slider value say the same.
    void trackFill_data()
    {
        QTest::addColumn<int>("fill");
        QTest::addColumn<QList<float>>("lines");
        QTest::newRow("empty") << 10 << QList<float>();
        QTest::newRow("one line") << 40 << Lines(10, 10);
        QTest::newRow("pitch 1") << 1000 << Lines(10, 970);
        QTest::newRow("full pitch track") << 2020 << Lines(10, 1990);
        QTest::newRow("full wind-count track") << 1630 << Lines(10, 1600);
    }
    void trackFill()
    {
        QFETCH(int, fill);
        QFETCH(QList<float>, lines);
        QCOMPARE(TrackFill(lines), fill);
        QCOMPARE(TrackFillLines(fill), lines);
    }

    void pitchCaption_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("caption");
        QTest::newRow("normal") << 1.0 << "Pitch 1";
        QTest::newRow("three quarters") << 0.75 << "Pitch 0.75";
        QTest::newRow("one step up") << 1.0 + 0.01 << "Pitch 1.01";
        QTest::newRow("first pixel") << 0.015 << "Pitch 0.015";
        QTest::newRow("below zero") << -0.01 << "Pitch -0.01";
    }
    void pitchCaption()
    {
        QFETCH(double, rate);
        QFETCH(QString, caption);
        QCOMPARE(PitchCaption(rate), caption);
    }

    void pitchPosition_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<float>("x");
        QTest::newRow("1.01") << 1.01 << 1010.0f;
        QTest::newRow("0.99") << 0.99 << 990.0f;
        QTest::newRow("zero") << 0.0 << 0.0f;
        QTest::newRow("beyond single precision") << 1e300 << std::numeric_limits<float>::max();
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0.0f;
    }
    void pitchPosition()
    {
        QFETCH(double, rate);
        QFETCH(float, x);
        QCOMPARE(PitchPosition(rate), x);
    }

    // The player holds a rate exactly as a press on the track where it lies
    // sets it, so that the track and the rate never disagree.
    void pitchRate_data()
    {
        QTest::addColumn<double>("rate");
        QTest::newRow("on the float grid") << 1.25;
        QTest::newRow("between floats") << 1.23456789;
        QTest::newRow("slow") << 0.0137;
    }
    void pitchRate()
    {
        QFETCH(double, rate);
        const std::optional<double> pressed = PlanPitch(PitchPosition(rate)).rate;
        QVERIFY(pressed);
        QVERIFY(PitchRate(rate) == *pressed);   // exactly, not fuzzily
        QVERIFY(PitchRate(*pressed) == *pressed);
        QVERIFY(std::abs(PitchRate(rate) - rate) < 1e-6);
    }

    void windCountPlan_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<QList<float>>("lines");
        QTest::addColumn<float>("windCount");
        QTest::newRow("default 500") << 500.0f << Lines(10, 490) << 520.0f;
        QTest::newRow("later starts 520") << 520.0f << Lines(10, 490) << 520.0f;
        QTest::newRow("first pixel 0") << 0.0f << QList<float>() << 10.0f;
        QTest::newRow("second pixel 15") << 15.0f << QList<float>() << 10.0f;
        QTest::newRow("one line at 20") << 20.0f << Lines(10, 10) << 40.0f;
        QTest::newRow("450 gives 460") << 450.0f << Lines(10, 430) << 460.0f;
        QTest::newRow("last pixel 1620") << 1620.0f << Lines(10, 1600) << 1630.0f;
        QTest::newRow("past the edge 1640") << 1640.0f << Lines(10, 1600) << 1630.0f;
        QTest::newRow("past the edge 1650") << 1650.0f << Lines(10, 1600) << 1630.0f;
        QTest::newRow("dragged far right 1700") << 1700.0f << Lines(10, 1600) << 1630.0f;
        QTest::newRow("stored 99999") << 99999.0f << Lines(10, 1600) << 1630.0f;
        QTest::newRow("largest float") << std::numeric_limits<float>::max() << Lines(10, 1600) << 1630.0f;
        QTest::newRow("left of the track") << -250.0f << QList<float>() << 10.0f;
        QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN() << QList<float>() << 10.0f;
    }
    // What the label says once the bar is drawn is what the wind keys jump.
    void windCountPlan()
    {
        QFETCH(float, x);
        QFETCH(QList<float>, lines);
        QFETCH(float, windCount);
        const WindCountPlan plan = PlanWindCount(x);
        QCOMPARE(plan.lines, lines);
        QCOMPARE(plan.windCount, windCount);
        QCOMPARE(float(TrackFill(plan.lines)), plan.windCount); // the slider's value is the wind count
        QCOMPARE(WindCountFinalCaption(plan.windCount),
                 QStringLiteral("Wind Count %1").arg(int(std::trunc(double(plan.windCount) / 150))));
    }

    // Every value the slider produces redraws to itself: a restart shows and
    // stores exactly what the user left.
    void windCountStableAcrossRestarts()
    {
        for (int k = 0; k <= 55; ++k) {
            const float w = 10.0f + 30.0f * k;
            const WindCountPlan plan = PlanWindCount(WindCountFromStoredText(WindCountStoredText(w)).value_or(-1));
            QVERIFY2(plan.windCount == std::min(w, MaxWindCount), qPrintable(QString::number(w)));
        }
    }

    void windCountStoredText_data()
    {
        QTest::addColumn<float>("windCount");
        QTest::addColumn<QString>("text");
        QTest::newRow("520") << 520.0f << " 520";
        QTest::newRow("10") << 10.0f << " 10";
        QTest::newRow("1630") << 1630.0f << " 1630";
    }
    void windCountStoredText()
    {
        QFETCH(float, windCount);
        QFETCH(QString, text);
        QCOMPARE(WindCountStoredText(windCount), text);
    }

    void windCountFromStoredText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("value");
        QTest::newRow("default") << "500" << 500.0f;
        QTest::newRow("stored form") << " 520" << 520.0f;
        QTest::newRow("several blanks and a tab") << "  \t 700" << 700.0f;
        QTest::newRow("trailing junk") << "460abc" << 460.0f;
        QTest::newRow("decimal") << "512.75" << 512.75f;
        QTest::newRow("decimal point only") << ".5" << 0.5f;
        QTest::newRow("exponent") << "1.2e3" << 1200.0f;
        QTest::newRow("dangling exponent") << "5e" << 5.0f;
        QTest::newRow("negative") << "-40" << -40.0f;
        QTest::newRow("plus") << "+40" << 40.0f;
        QTest::newRow("comma is no decimal point") << "5,5" << 5.0f;
        QTest::newRow("beyond single precision") << "1e39" << std::numeric_limits<float>::max();
        QTest::newRow("overflowing exponent") << "1e99999" << std::numeric_limits<float>::max();
        QTest::newRow("overflowing negative") << "-1e99999" << -std::numeric_limits<float>::max();
        QTest::newRow("underflowing exponent") << "1e-99999" << 0.0f;
        // No number at all: start-up uses the default.
        const float none = std::numeric_limits<float>::quiet_NaN();
        QTest::newRow("junk") << "abc" << none;
        QTest::newRow("empty") << "" << none;
        QTest::newRow("blanks only") << "   " << none;
        QTest::newRow("sign only") << "-" << none;
        QTest::newRow("junk before number") << "x500" << none;
        QTest::newRow("nan spelled out") << "nan" << none;
        QTest::newRow("inf spelled out") << "inf" << none;
    }
    void windCountFromStoredText()
    {
        QFETCH(QString, text);
        QFETCH(float, value);
        const std::optional<float> read = WindCountFromStoredText(text);
        QCOMPARE(read.has_value(), !std::isnan(value));
        if (read)
            QCOMPARE(*read, value);
    }

    void fileLabel_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("long name cut to 15") << "Interview_0412_Final.MP3" << "interview_0412_";
        QTest::newRow("short name whole") << "Memo.WAV" << "memo.wav";
        QTest::newRow("exactly 15") << "ABCDEFGHIJK.MP3" << "abcdefghijk.mp3";
        QTest::newRow("dropped path") << "/home/Typist/Recordings/Interview.wav" << "/home/typist/re";
        QTest::newRow("non-BMP character kept whole") << QString::fromUtf8("\xF0\x9F\x8E\xA4" "abcdefghijklmnopq")
                                                      << QString::fromUtf8("\xF0\x9F\x8E\xA4" "abcdefghijklmn");
        QTest::newRow("empty") << "" << "";
    }
    void fileLabel()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QCOMPARE(FileLabelCaption(name), caption);
        QCOMPARE(FileLabelToolTip(name), QLatin1Char(' ') + name + QLatin1Char(' '));
    }

    void firstDroppedFile_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("path"); // "" when nothing is opened
        const QUrl a = QUrl::fromLocalFile(QStringLiteral("/tmp/A Memo.wav"));
        const QUrl b = QUrl::fromLocalFile(QStringLiteral("/tmp/b.mp3"));
        QTest::newRow("one file") << QList<QUrl>{a} << "" << "/tmp/A Memo.wav";
        QTest::newRow("two files: first only") << QList<QUrl>{a, b} << "" << "/tmp/A Memo.wav";
        QTest::newRow("web link then file") << QList<QUrl>{QUrl(QStringLiteral("https://example.org/x.mp3")), b} << "" << "/tmp/b.mp3";
        QTest::newRow("web link only") << QList<QUrl>{QUrl(QStringLiteral("https://example.org/x.mp3"))} << "" << "";
        QTest::newRow("dragged text") << QList<QUrl>() << "/tmp/a.wav" << "";
    }
    void firstDroppedFile()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(QString, text);
        QFETCH(QString, path);
        QMimeData data;
        if (!urls.isEmpty())
            data.setUrls(urls);
        if (!text.isEmpty())
            data.setText(text);
        const std::optional<QString> file = FirstDroppedFile(&data);
        QCOMPARE(file.value_or(QString()), path);
        QVERIFY(!FirstDroppedFile(nullptr));
    }
};

QTEST_APPLESS_MAIN(TestPlaybackLogic)
#include "test_playbacklogic.moc"
