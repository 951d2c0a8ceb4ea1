// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the generated test media are (tests/media/make_media.sh).

#include <QDir>
#include <QString>
#include <QTest>

#include <clocale>

inline QString mediaFile(const QString &name)
{
    const QString dir = qEnvironmentVariable("MURMELVOX_TEST_MEDIA");
    return QDir(dir).absoluteFilePath(name);
}

// The media engine parses numbers in the C locale; the program's main sets
// it after creating the application object, and so do the tests.
inline void useEngineLocale()
{
    std::setlocale(LC_NUMERIC, "C");
}

inline void requireMedia()
{
    if (!QFile::exists(mediaFile(QStringLiteral("tone.wav"))))
        QFAIL("generated media missing: run the make_media test first (MURMELVOX_TEST_MEDIA)");
}

// Files open asynchronously: opens one and lets the event loop run until
// the engine has it open or has given it up.
template <typename Engine>
void openNow(Engine &engine, const QString &path)
{
    engine.Open(path);
    if (!QTest::qWaitFor([&] { return !engine.Opening(); }, 5000))
        qWarning("still opening after 5 s: %s", qPrintable(path));
}
