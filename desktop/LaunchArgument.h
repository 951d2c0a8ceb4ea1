#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for: nothing (the bar starts empty, as always),
// one local file to open, or something refused with a one-line reason.
struct LaunchRequest
{
    enum Kind { Nothing, OpenFile, Refused };
    Kind kind = Nothing;
    QString path;      // OpenFile: absolute local path; Refused: the local path
                       // that is missing or not a file, else empty
    QString reason;    // Refused: why, for one line on stderr
};

// Reads one local file path or file:// URI; relative paths are taken from
// `workingDirectory`, and refused when it is empty. Only existing regular files are accepted, because a
// second launch hands the path to a bar that runs in another directory and
// cannot tell the user what went wrong.
LaunchRequest LocalFileRequest(const QString &pathOrUri, const QString &workingDirectory);

// `arguments` as QCoreApplication::arguments() gives them (program first,
// Qt's own options already removed).
LaunchRequest ParseLaunchArguments(const QStringList &arguments, const QString &workingDirectory);
