// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/FilePath.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>

// What the command line asks for: nothing (the bar starts empty, as always),
// one local file to open, or something refused with a one-line reason.
struct LaunchRequest
{
    enum Kind { Nothing, OpenFile, Refused };
    Kind kind = Nothing;
    FilePath path;     // OpenFile: absolute local path; Refused: the local path
                       // that is missing or not a file, else empty
    QString reason;    // Refused: why, for one line on stderr
};

// Reads one local file path or file:// URI, as bytes: a name keeps bytes
// that are not UTF-8, and a URI's percent-encoded bytes are the name's.
// Relative paths are taken from `workingDirectory`, and refused when it is
// empty. Only existing regular files are accepted, because a second launch
// hands the path to a bar that runs in another directory and cannot tell
// the user what went wrong.
LaunchRequest LocalFileRequest(const QByteArray &pathOrUri, const FilePath &workingDirectory);
LaunchRequest LocalFileRequest(const QString &pathOrUri, const QString &workingDirectory);

// `arguments` as main() has them once Qt took its own options (program
// first), or as QCoreApplication::arguments() gives them.
LaunchRequest ParseLaunchArguments(const QByteArrayList &arguments, const FilePath &workingDirectory);
LaunchRequest ParseLaunchArguments(const QStringList &arguments, const QString &workingDirectory);
