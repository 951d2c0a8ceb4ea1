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
