// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/SettingsStore.h"
#include "rules/Timestamp.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

using Format = TimestampFormat;
Q_DECLARE_METATYPE(TimestampFormat)
Q_DECLARE_METATYPE(std::optional<double>)

class TestTimestamp : public QObject
{
    Q_OBJECT
private slots:
    void formats_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<Format>("format");
        QTest::addColumn<QString>("text");
        const Format plain{Format::Delimiters::None, Format::Hours::PastAnHour, 0};
        QTest::newRow("default") << 754.0 << Format{} << "[00:12:34]";
        QTest::newRow("fraction cut, not rounded") << 59.999 << Format{Format::Delimiters::Parentheses, Format::Hours::Always, 2} << "(00:00:59.99)";
        QTest::newRow("12.3 keeps its tenth") << 12.3 << Format{Format::Delimiters::Hashes, Format::Hours::Always, 1} << "#00:00:12.3#";
        QTest::newRow("under an hour") << 754.0 << plain << "12:34";
        QTest::newRow("past an hour") << 3723.0 << plain << "01:02:03";
        QTest::newRow("hundred hours") << 360000.0 << Format{} << "[100:00:00]";
        QTest::newRow("negative") << -5.0 << Format{} << "[00:00:00]";
        QTest::newRow("not a number") << std::nan("") << Format{} << "[00:00:00]";
    }
    void formats()
    {
        QFETCH(double, seconds);
        QFETCH(Format, format);
        QFETCH(QString, text);
        QCOMPARE(FormatTimestamp(seconds, format), text);
    }

    void parses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("seconds");
        const std::optional<double> none;
        QTest::newRow("h:mm:ss") << "1:02:03" << std::optional(3723.0);
        QTest::newRow("hh:mm:ss in brackets") << "[00:12:34]" << std::optional(754.0);
        QTest::newRow("mm:ss") << "12:34" << std::optional(754.0);
        QTest::newRow("m:ss, comma fraction") << "2:05,5" << std::optional(125.5);
        QTest::newRow("hashes, dot fraction, blanks") << " \t#00:00:01.25#\n" << std::optional(1.25);
        QTest::newRow("parentheses") << "(0:10)" << std::optional(10.0);
        QTest::newRow("empty") << "" << none;
        QTest::newRow("zero alone") << "0" << none;
        QTest::newRow("junk") << "hello" << none;
        QTest::newRow("negative") << "-0:10" << none;
        QTest::newRow("seconds 60") << "1:60" << none;
        QTest::newRow("minutes 60") << "1:60:00" << none;
        QTest::newRow("one-digit seconds") << "1:2" << none;
        QTest::newRow("one-digit minutes after hours") << "1:2:03" << none;
        QTest::newRow("four fields") << "1:00:00:00" << none;
        QTest::newRow("mismatched delimiters") << "[00:12:34)" << none;
        QTest::newRow("empty fraction") << "0:10." << none;
        QTest::newRow("blank inside") << "0: 10" << none;
        QTest::newRow("10,000 characters") << QString(10000, u'1') << none;
    }
    void parses()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<double>, seconds);
        QCOMPARE(ParseTimestamp(text), seconds);
    }

    // Every format writes what the parser reads back, cut to its digits.
    void formatsReadBack()
    {
        const double cut[] = {3723, 3723.2, 3723.25};
        for (int d = 0; d < 4; ++d)
            for (int digits = 0; digits <= Format::MaxFractionDigits; ++digits) {
                const Format format{Format::Delimiters(d), Format::Hours::PastAnHour, digits};
                const std::optional<double> read = ParseTimestamp(FormatTimestamp(3723.25, format));
                QVERIFY(read);
                QCOMPARE(*read, cut[digits]);
            }
    }

    void longJunkIsRefusedQuickly()
    {
        const QString junk(10000, u':');
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 1000; ++i)
            QVERIFY(!ParseTimestamp(junk));
        QVERIFY2(clock.elapsed() < 100, qPrintable(QString::number(clock.elapsed())));
    }

    void settingsKeepTheirSection()
    {
        SettingsStore store;
        QFile::remove(store.filePath());
        QCOMPARE(LoadTimestampFormat(store), Format{});
        const Format chosen{Format::Delimiters::None, Format::Hours::PastAnHour, 2};
        QVERIFY(SaveTimestampFormat(store, chosen));
        QCOMPARE(LoadTimestampFormat(SettingsStore()), chosen);
        QVERIFY(store.setSection(QStringLiteral("timestamps"), {{QStringLiteral("fractionDigits"), 3},
                                                                 {QStringLiteral("delimiters"), QStringLiteral("braces")},
                                                                 {QStringLiteral("hours"), QStringLiteral("sometimes")}}));
        QCOMPARE(LoadTimestampFormat(store), Format{});
    }
};

QTEST_GUILESS_MAIN(TestTimestamp)
#include "test_timestamp.moc"
