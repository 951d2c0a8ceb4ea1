// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// A local file's name as the file system holds it: bytes. Qt reads file
// names as UTF-8 and replaces what is not, so a name written in another
// encoding (Latin-1, as older dictation systems wrote them on shares) would
// be lost in a QString; this keeps the bytes from the command line or a URI
// to the engine.
class FilePath
{
public:
    FilePath() = default;
    // A name that came through Qt (the open dialog, a drop, a test): its
    // bytes are its UTF-8.
    FilePath(const QString &path);
    static FilePath fromNative(const QByteArray &bytes);
    // The process's working directory, with its own bytes.
    static FilePath currentDirectory();

    bool isEmpty() const { return m_native.isEmpty(); }
    bool isRelative() const { return !m_native.startsWith('/'); }
    const QByteArray &native() const { return m_native; }

    // Against `directory` when relative, with "." and ".." resolved.
    FilePath absoluteFrom(const FilePath &directory) const;

    // For people: the name as UTF-8 where it is that, else as Latin-1.
    QString toDisplayString() const;
    QString fileName() const;
    // A file:// URI with the name's bytes percent-encoded.
    QString toUri() const;

    enum class Kind { Missing, RegularFile, Directory, Other };
    // What the name is now, following symbolic links.
    Kind kind() const;

    bool operator==(const FilePath &) const = default;

private:
    QByteArray m_native;
};
