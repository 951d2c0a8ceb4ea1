// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ReadableLabels.h"

#include "ui/Controls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLabel>

namespace {

class LabelAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    LabelAccessible(QLabel *label, QAccessible::Role role) : QAccessibleWidget(label, role) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        // A label without a name of its own is named by what it shows.
        if (t == QAccessible::Name && label()->accessibleName().isEmpty())
            return Caption();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        if (role() == QAccessible::Button)
            return QStringList{pressAction()} + QAccessibleWidget::actionNames();
        return QAccessibleWidget::actionNames();
    }
    void doAction(const QString &name) override
    {
        auto *clickable = qobject_cast<ClickLabel *>(label());
        if (clickable && name == pressAction() && clickable->isEnabled())
            clickable->click();
        else
            QAccessibleWidget::doAction(name);
    }

    // Read-only text: no selection, no cursor.
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        const QString caption = Caption();
        startOffset = qBound(0, startOffset, int(caption.size()));
        endOffset = endOffset < 0 ? int(caption.size()) : qBound(startOffset, endOffset, int(caption.size()));
        return caption.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(Caption().size()); }
    QRect characterRect(int offset) const override
    {
        const QString caption = Caption();
        if (offset < 0 || offset >= caption.size())
            return {};
        const QFontMetrics metrics(label()->font());
        const QRect box = label()->contentsRect();
        const int x = metrics.horizontalAdvance(caption.left(offset));
        const QRect local(box.left() + x, box.top(), metrics.horizontalAdvance(caption.at(offset)), metrics.height());
        return QRect(label()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    QLabel *label() const { return static_cast<QLabel *>(widget()); }
    QString Caption() const { return label()->text(); }
};

QAccessibleInterface *ReadableLabelFactory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("ClickLabel"))
        return new LabelAccessible(static_cast<QLabel *>(object), QAccessible::Button);
    if (className == QLatin1String("QLabel"))
        return new LabelAccessible(static_cast<QLabel *>(object), QAccessible::StaticText);
    return nullptr;
}

} // namespace

void InstallReadableLabels()
{
    // Factories installed later are asked first.
    QAccessible::installFactory(ReadableLabelFactory);
}
