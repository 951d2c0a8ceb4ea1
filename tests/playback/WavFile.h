// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads back what the engine's PCM output (ao=pcm) wrote.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <vector>

// Samples of the first channel of a PCM (16-bit) or float (32-bit) WAV file.
inline bool readWav(const QString &path, std::vector<float> &samples, int &sampleRate)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    if (data.size() < 12 || !data.startsWith("RIFF") || data.mid(8, 4) != "WAVE")
        return false;
    int format = 0, channels = 0, bits = 0;
    qsizetype at = 12;
    while (at + 8 <= data.size()) {
        const QByteArray id = data.mid(at, 4);
        qsizetype size = qFromLittleEndian<quint32>(data.constData() + at + 4);
        const char *body = data.constData() + at + 8;
        if (id == "fmt " && size >= 16) {
            format = qFromLittleEndian<quint16>(body);
            channels = qFromLittleEndian<quint16>(body + 2);
            sampleRate = int(qFromLittleEndian<quint32>(body + 4));
            bits = qFromLittleEndian<quint16>(body + 14);
            if (format == 0xFFFE && size >= 26)  // extensible: the sub-format's first word
                format = qFromLittleEndian<quint16>(body + 24);
        } else if (id == "data") {
            // The PCM output leaves the size open when it cannot seek back.
            if (size == 0 || size == 0xFFFFFFFF || at + 8 + size > data.size())
                size = data.size() - at - 8;
            if (channels < 1 || (bits != 16 && bits != 32))
                return false;
            const int frame = channels * bits / 8;
            for (qsizetype i = 0; i + frame <= size; i += frame) {
                if (format == 1 && bits == 16)
                    samples.push_back(qFromLittleEndian<qint16>(body + i) / 32768.0f);
                else if (format == 3 && bits == 32)
                    samples.push_back(qFromLittleEndian<float>(body + i));
                else
                    return false;
            }
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

