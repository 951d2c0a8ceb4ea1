// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <QtGlobal>

// A control of the bar found as a screen reader finds it, by its name. One
// that is not there (renamed, or of another kind) ends the run, naming it.
template <class T>
T *control(const QWidget &bar, const char *name)
{
    T *found = bar.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("the bar has no %s named \"%s\"", T::staticMetaObject.className(), name);
    return found;
}
