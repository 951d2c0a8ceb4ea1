// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/BookmarkList.h"

#include <QObject>
#include <QString>

class Player;
class QComboBox;
class QLabel;
class QPushButton;
class QWidget;

// The panel's bookmark area: its caption, the list, and Set, Clear and Clear
// All, laid out on the panel and acting on the bookmark file and the player.
// The controls are the view's own; others find them by name, as a screen
// reader does ("bookmarkList", "setBookmarkButton", …).
class BookmarksView : public QObject
{
    Q_OBJECT
public:
    BookmarksView(QWidget *panel, Player &player);

    // The bookmark file, fixed for the run once start-up has chosen it.
    void setPath(const QString &path) { m_path = path; }
    const QString &path() const { return m_path; }

    // Start-up: makes the file when there is none and fills the list.
    void load();

    // The controls in tab order, and those that lie behind the panel's
    // windowed controls.
    QList<QWidget *> tabOrder() const;
    QList<QWidget *> backdrop() const;

public slots:
    // The user chose a bookmark: the player jumps there.
    void jump();
    void set();
    void clear();
    void clearAll();

private:
    BookmarkList list() const;

    Player &m_player;
    QString m_path;
    QLabel *m_caption;
    QComboBox *m_list;
    QPushButton *m_setButton;
    QPushButton *m_clearButton;
    QPushButton *m_clearAllButton;
};
