// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small controls the windows are built from. Lengths that handlers see are in
// twips, 15 to a logical pixel, as the layout tables give them.

#include <QAbstractSlider>
#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>

class QMimeData;

constexpr int TwipsPerPixel = 15;
constexpr int Px(int twips) { return (twips >= 0 ? twips + TwipsPerPixel / 2 : twips - TwipsPerPixel / 2) / TwipsPerPixel; }

// The button images, addressed 1 to 12.
class ImageList
{
public:
    static constexpr int Count = 12;
    // The image at a 1-based index; a null pixmap outside 1..Count.
    QPixmap ListImages(int index) const;
};

// A borderless button drawn as its picture, sized to it, reporting a press and a
// release of any mouse button, and a left click. Space or Enter on a focused box
// acts as a left click, so the buttons can be driven from the keyboard and by
// assistive technology.
class ImageButton : public QWidget
{
    Q_OBJECT
public:
    explicit ImageButton(QWidget *parent = nullptr);

    void setPicture(const QPixmap &picture, int imageIndex = 0);
    QPixmap picture() const { return m_picture; }
    // The ImageList index last given with setPicture (0 for other pictures).
    int imageIndex() const { return m_imageIndex; }
    void setAcceptsFileDrops(bool accept);

signals:
    void pressed();
    void released();
    void clicked();
    void filesDropped(const QMimeData *data);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // The second press of a double click is neither a mouse down nor a
    // click: a double click acts once.
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QPixmap m_picture;
    int m_imageIndex = 0;
    bool m_pressedInside = false;
};

// The pitch and wind-count tracks: a slider whose value, in twips, is how far
// its fill of vertical lines reaches. The handlers set the value; presses and
// drags come to them in twips as they are, since the exact position says more
// than the value keeps (the pitch track's rate).
class TrackSlider : public QAbstractSlider
{
    Q_OBJECT
public:
    TrackSlider(QWidget *parent, int widthTwips, int heightTwips, const QColor &background);

    // The x positions (twips) of the lines the fill shows, left to right.
    QList<float> lineXs() const;

signals:
    // A press of any button, at `twips` from the left edge.
    void pressedAt(float twips);
    // A drag with the left button alone held.
    void draggedTo(float twips);
    void doubleClicked();
    // Arrow keys for keyboard users: -1 or +1 step.
    void stepped(int direction);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    int m_heightTwips;
};

// A label that reports clicks and double clicks. A double click is one click
// followed by one double click, never two clicks.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_releaseEndsDoubleClick = false;
};

// The open-file dialog's settings and result; ShowOpen is the only platform
// call, so tests can substitute a dialog that answers by itself.
class CommonDialog
{
public:
    virtual ~CommonDialog() = default;

    QString Filter;        // "label|patterns|label|patterns"
    int Flags = 0;
    QString DialogTitle;
    QString FileName;      // full path after the dialog, or "" when cancelled
    QString FileTitle;     // the chosen file's name without its folder

    // Shows the dialog modally; leaves FileName as it was when cancelled.
    virtual void ShowOpen(QWidget *parent);
};
