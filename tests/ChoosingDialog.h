// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/Controls.h"

#include <QFileInfo>
#include <QString>

#include <utility>

// The open dialog, answering with a file as the user would.
class ChoosingDialog : public OpenDialog
{
public:
    explicit ChoosingDialog(QString path) : path(std::move(path)) {}
    QString choose(QWidget *) override { return path; }
    QString path;
};
