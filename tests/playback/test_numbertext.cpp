// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/NumberText.h"

#include <QTest>
#include <clocale>

class TestNumberText : public QObject
{
    Q_OBJECT
private slots:
    void numberText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 120.0 << "120";
        QTest::newRow("one decimal") << 65.5 << "65.5";
        QTest::newRow("leading zero below one") << 0.25 << "0.25";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("negative") << -0.193 << "-0.193";
        QTest::newRow("rate step noise hidden") << (1.0 + 0.01) << "1.01";
        QTest::newRow("accumulated steps") << (1.0 - 0.01 - 0.01 - 0.01) << "0.97";
        QTest::newRow("15 significant digits") << 123456.789012345678 << "123456.789012346";
        QTest::newRow("float rate") << double(1500.0f / 1000) << "1.5";
        QTest::newRow("single precision value") << double(0.1f) << "0.100000001490116";
        QTest::newRow("tiny plain decimal") << 1e-7 << "0.0000001";
        QTest::newRow("large plain decimal") << 1e17 << "100000000000000000";
        QTest::newRow("two decimals") << 65.37 << "65.37";
        // Its 15-digit text is larger than any double; the text is still right.
        QTest::newRow("largest double") << 1.7976931348623157e308
            << QString(QStringLiteral("179769313486232") + QString(294, QLatin1Char('0')));
        QTest::newRow("large, no binary noise") << 1e23 << "100000000000000000000000";
        QTest::newRow("rounds up to a new digit") << 9.999999999999999 << "10";
        QTest::newRow("negative large") << -123456789012345678.0 << "-123456789012346000";
    }
    void numberText()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(NumberText(value), text);
    }

    void ignoresLocale()
    {
        const char *old = std::setlocale(LC_NUMERIC, nullptr);
        const QByteArray saved = old ? QByteArray(old) : QByteArray("C");
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            QSKIP("German locale not installed");
        QCOMPARE(NumberText(65.5), QStringLiteral("65.5"));
        std::setlocale(LC_NUMERIC, saved.constData());
    }

    void roundHalfEven2_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("rounded");
        QTest::newRow("down") << 65.454 << 65.45;
        QTest::newRow("up") << 65.456 << 65.46;
        QTest::newRow("half to even down") << 0.125 << 0.12;
        QTest::newRow("half to even up") << 0.135 << 0.14;
        QTest::newRow("decimal half though binary below") << 65.125 << 65.12;
        QTest::newRow("decimal half though binary above") << 2.675 << 2.68;
        QTest::newRow("whole") << 7.0 << 7.0;
        QTest::newRow("negative half") << -0.125 << -0.12;
        QTest::newRow("huge, no hundredths") << 1e300 << 1e300;
    }
    void roundHalfEven2()
    {
        QFETCH(double, value);
        QFETCH(double, rounded);
        QCOMPARE(NumberText(RoundHalfEven2(value)), NumberText(rounded));
    }
};

QTEST_APPLESS_MAIN(TestNumberText)
#include "test_numbertext.moc"
