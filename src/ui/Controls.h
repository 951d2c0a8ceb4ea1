// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small controls the windows are built from. Lengths that handlers see are in
// twips, 15 to a logical pixel, as the layout tables give them.

#include <QAbstractSlider>
#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>

class QMimeData;

constexpr int TwipsPerPixel = 15;
constexpr int Px(int twips) { return (twips >= 0 ? twips + TwipsPerPixel / 2 : twips - TwipsPerPixel / 2) / TwipsPerPixel; }

// The pictures of the bar's buttons, released and pressed, numbered as their
// files are (":/images/button01.gif" is PlayUp).
enum class ButtonImage {
    PlayUp = 1, PauseUp, StopUp, PlayDown, PauseDown, StopDown,
    ExitUp, ExitDown, OpenUp, OpenDown, PanelUp, PanelDown,
};
constexpr int ButtonImageCount = 12;

// A button's picture at the screen's density; a null pixmap for a number
// that is no picture.
QPixmap ButtonPicture(ButtonImage image);

// A borderless button drawn as its picture, sized to it, reporting a press and a
// release of any mouse button, and a left click. Space or Enter on a focused box
// acts as a left click, so the buttons can be driven from the keyboard and by
// assistive technology.
class ImageButton : public QWidget
{
    Q_OBJECT
public:
    explicit ImageButton(QWidget *parent = nullptr);

    void setPicture(const QPixmap &picture);
    // Shows a compiled-in picture (see ResourcePicture), sized to it now and
    // decoded only once it is first painted or asked for: for a picture
    // hidden at start-up.
    void setPictureFile(const QString &path);
    // Shows one of the button pictures.
    void setImage(ButtonImage image);
    QPixmap picture() const;
    // The number of the button picture last shown (0 for other pictures).
    int imageIndex() const { return m_imageIndex; }
    void setAcceptsFileDrops(bool accept);
    // A left click, as Space, Enter and a screen reader's press take it.
    void click() { emit clicked(); }

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
    mutable QPixmap m_picture;
    mutable QString m_pictureFile;  // read into m_picture when first needed
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
    // One step down (-1) or up (+1), as the arrow keys and a screen
    // reader's decrease and increase take it.
    void step(int direction) { emit stepped(direction); }

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
    // A left click, as Space, Enter and a screen reader's press take it.
    void click() { emit clicked(); }

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

// The dialog that asks for one existing file to open. choose() is its only
// platform call, so tests can substitute a dialog that answers by itself.
class OpenDialog
{
public:
    virtual ~OpenDialog() = default;

    QString title;
    // Qt's name filters, "All Media Files (*.mp3 *.wav)"; the first is chosen.
    QStringList nameFilters;

    // Shows the dialog modally: the chosen file's full path, or an empty
    // string when the dialog was cancelled.
    virtual QString choose(QWidget *parent);
};
