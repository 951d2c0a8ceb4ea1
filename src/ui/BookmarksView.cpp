// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BookmarksView.h"

#include "engine/Player.h"
#include "ui/PanelLayout.h"

#include <QComboBox>
#include <QPushButton>

BookmarksView::BookmarksView(QWidget *panel, Player &player) : QObject(panel), m_player(player)
{
    setObjectName(QStringLiteral("bookmarks"));
    m_caption = PanelCaption(panel, "bookmarkCaption", QStringLiteral("Bookmark"), 120, 960, 735, 255);
    m_caption->setAccessibleName(QStringLiteral("Bookmark"));

    m_list = new QComboBox(panel);
    m_list->setObjectName(QStringLiteral("bookmarkList"));
    m_list->setAccessibleName(QStringLiteral("Bookmarks"));
    m_list->setEditable(false);
    m_list->setFont(LayoutFont(Narrow, 8.25));
    SetColour(m_list, QPalette::Base, panel->palette().color(QPalette::Button));
    PlaceTwips(m_list, 840, 915, 1095, 345);

    struct Command { QPushButton *&button; const char *name; const char *text; const char *role; int l, t, w, h; qreal points; };
    const Command commands[] = {
        {m_setButton, "setBookmarkButton", "Set", "Set a bookmark", 1980, 960, 375, 255, 8.25},
        {m_clearButton, "clearBookmarkButton", "Clear", "Clear the bookmark", 2400, 915, 615, 195, 6},
        {m_clearAllButton, "clearAllBookmarksButton", "Clear All", "Clear all bookmarks", 2400, 1095, 615, 195, 6},
    };
    for (const Command &c : commands) {
        c.button = new QPushButton(QLatin1String(c.text), panel);
        c.button->setObjectName(QLatin1String(c.name));
        c.button->setAccessibleName(QLatin1String(c.role));
        c.button->setAutoDefault(false);
        c.button->setFont(LayoutFont(Narrow, c.points));
        PlaceTwips(c.button, c.l, c.t, c.w, c.h);
    }

    // Only the user's choice jumps: activated, not currentIndexChanged, which
    // the list's own refills cause too.
    connect(m_list, &QComboBox::activated, this, &BookmarksView::jump);
    connect(m_setButton, &QPushButton::clicked, this, &BookmarksView::set);
    connect(m_clearButton, &QPushButton::clicked, this, &BookmarksView::clear);
    connect(m_clearAllButton, &QPushButton::clicked, this, &BookmarksView::clearAll);
}

QList<QWidget *> BookmarksView::tabOrder() const
{
    return {m_list, m_setButton, m_clearButton, m_clearAllButton};
}

QList<QWidget *> BookmarksView::backdrop() const
{
    return {m_caption};
}

BookmarkList BookmarksView::list() const
{
    return {m_list, m_path};
}

void BookmarksView::load()
{
    list().init();
}

void BookmarksView::jump()
{
    list().jump(m_player);
}

void BookmarksView::set()
{
    list().set(m_player.engine());
}

void BookmarksView::clear()
{
    list().clear();
}

void BookmarksView::clearAll()
{
    list().clearAll();
}
