// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Controls.h"

#include "rules/Sliders.h"
#include "ui/Pictures.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QAbstractFileIconProvider>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStringList>

#include <cmath>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <utility>

namespace {

float ToTwips(qreal pixels) { return float(pixels * TwipsPerPixel); }

// A focus mark only once the keyboard has moved the focus, as the style does
// for its own controls.
bool ShowsFocus(const QWidget *w)
{
    return w->hasFocus() && w->window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

bool IsActivationKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Space || event->key() == Qt::Key_Return
        || event->key() == Qt::Key_Enter;
}

// Screen readers see the picture buttons and the glyph labels as buttons
// they can press, and the tracks as sliders they can step.
class PressableAccessible : public QAccessibleWidget
{
public:
    PressableAccessible(QWidget *widget, QAccessible::Role role, void (*press)(QWidget *))
        : QAccessibleWidget(widget, role), m_press(press) {}

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && widget()->isEnabled())
            m_press(widget());
        else
            QAccessibleWidget::doAction(name);
    }

private:
    void (*m_press)(QWidget *);
};

class TrackAccessible : public QAccessibleWidget
{
public:
    explicit TrackAccessible(QWidget *widget) : QAccessibleWidget(widget, QAccessible::Slider) {}

    QStringList actionNames() const override
    {
        return QStringList{increaseAction(), decreaseAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &name) override
    {
        auto *track = static_cast<TrackSlider *>(widget());
        if (!track->isEnabled())
            return;
        if (name == increaseAction())
            track->step(+1);
        else if (name == decreaseAction())
            track->step(-1);
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface *ControlsAccessibleFactory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (className == QLatin1String("ImageButton"))
        return new PressableAccessible(widget, QAccessible::Button,
                                       [](QWidget *w) { static_cast<ImageButton *>(w)->click(); });
    if (className == QLatin1String("ClickLabel"))
        return new PressableAccessible(widget, QAccessible::Button,
                                       [](QWidget *w) { static_cast<ClickLabel *>(w)->click(); });
    if (className == QLatin1String("TrackSlider"))
        return new TrackAccessible(widget);
    return nullptr;
}

void InstallAccessibleFactory()
{
    QAccessible::installFactory(ControlsAccessibleFactory);
}
Q_CONSTRUCTOR_FUNCTION(InstallAccessibleFactory)

} // namespace

// -------------------------------------------------------------- ButtonImage

QPixmap ButtonPicture(ButtonImage image)
{
    const int number = int(image);
    if (number < 1 || number > ButtonImageCount)
        return QPixmap();
    return ResourcePicture(QStringLiteral(":/images/button%1.gif").arg(number, 2, 10, QLatin1Char('0')));
}

// --------------------------------------------------------------- ImageButton

ImageButton::ImageButton(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::TabFocus);
}

void ImageButton::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    m_pictureFile.clear();
    m_imageIndex = 0;
    resize(picture.deviceIndependentSize().toSize());
    update();
}

void ImageButton::setPictureFile(const QString &path)
{
    m_picture = QPixmap();
    m_pictureFile = path;
    m_imageIndex = 0;
    resize(ResourcePictureSize(path));
    update();
}

QPixmap ImageButton::picture() const
{
    if (!m_pictureFile.isEmpty())
        m_picture = ResourcePicture(std::exchange(m_pictureFile, QString()));
    return m_picture;
}

void ImageButton::setImage(ButtonImage image)
{
    setPicture(ButtonPicture(image));
    m_imageIndex = int(image);
}

void ImageButton::setAcceptsFileDrops(bool accept)
{
    setAcceptDrops(accept);
}

void ImageButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture());
    if (ShowsFocus(this)) {
        // The pictures carry no focus look of their own; keyboard users need one.
        QPen pen(palette().color(QPalette::Highlight));
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void ImageButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressedInside = true;
    emit pressed();
}

void ImageButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = event->button() == Qt::LeftButton && m_pressedInside
        && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_pressedInside = false;
    emit released();
    if (click)
        emit clicked();
}

void ImageButton::mouseDoubleClickEvent(QMouseEvent *)
{
}

void ImageButton::keyPressEvent(QKeyEvent *event)
{
    if (IsActivationKey(event) && !event->isAutoRepeat()) {
        click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ImageButton::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void ImageButton::dropEvent(QDropEvent *event)
{
    event->acceptProposedAction();
    emit filesDropped(event->mimeData());
}

// -------------------------------------------------------------- TrackSlider

TrackSlider::TrackSlider(QWidget *parent, int widthTwips, int heightTwips, const QColor &background)
    : QAbstractSlider(parent), m_heightTwips(heightTwips)
{
    setOrientation(Qt::Horizontal);
    setSingleStep(int(TrackLineStep));
    resize(Px(widthTwips), Px(heightTwips));
    setFocusPolicy(Qt::TabFocus);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, background);
    setPalette(pal);
    setAutoFillBackground(true);
}

QList<float> TrackSlider::lineXs() const
{
    return TrackFillLines(value());
}

void TrackSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Twips land on whole pixels, as the drawing would on a 96-dpi screen.
    auto px = [](float twips) { return int(std::floor(twips / TwipsPerPixel)); };
    painter.setPen(QPen(Qt::white, 1));
    const int top = px(TrackLineTop), bottom = px(float(m_heightTwips) - TrackLineTop);
    for (float x : lineXs())
        painter.drawLine(px(x), top, px(x), bottom);
    if (ShowsFocus(this)) {
        QPen pen(palette().color(QPalette::Highlight));
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void TrackSlider::mousePressEvent(QMouseEvent *event)
{
    emit pressedAt(ToTwips(event->position().x()));
}

void TrackSlider::mouseMoveEvent(QMouseEvent *event)
{
    // A drag with a second button held changes nothing after its press.
    if ((event->buttons() & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton)) == Qt::LeftButton)
        emit draggedTo(ToTwips(event->position().x()));
}

void TrackSlider::mouseDoubleClickEvent(QMouseEvent *)
{
    emit doubleClicked();
}

// The value follows the handlers only: the keys and the wheel a slider would
// act on by itself would move the fill away from the rate or wind count.
void TrackSlider::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        step(-1);
        return;
    case Qt::Key_Right:
    case Qt::Key_Up:
        step(+1);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TrackSlider::wheelEvent(QWheelEvent *event)
{
    QWidget::wheelEvent(event);
}

// --------------------------------------------------------------- ClickLabel

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_releaseEndsDoubleClick) {
        m_releaseEndsDoubleClick = false;
        return;
    }
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_releaseEndsDoubleClick = true;
    emit doubleClicked();
}

void ClickLabel::keyPressEvent(QKeyEvent *event)
{
    if (IsActivationKey(event)) {
        click();
        return;
    }
    QLabel::keyPressEvent(event);
}

// ---------------------------------------------------------------- OpenDialog

namespace {

// The dialog lists recordings and folders. Qt's own provider would load the
// MIME database and the icon theme for them, and both stay in memory for the
// rest of the session; the style's folder and file pictures say as much.
class StyleFileIcons : public QAbstractFileIconProvider
{
public:
    explicit StyleFileIcons(const QStyle *style) : m_style(style) {}

    QIcon icon(IconType type) const override
    {
        switch (type) {
        case Computer: return m_style->standardIcon(QStyle::SP_ComputerIcon);
        case Desktop: return m_style->standardIcon(QStyle::SP_DesktopIcon);
        case Trashcan: return m_style->standardIcon(QStyle::SP_TrashIcon);
        case Network: return m_style->standardIcon(QStyle::SP_DriveNetIcon);
        case Drive: return m_style->standardIcon(QStyle::SP_DriveHDIcon);
        case Folder: return m_style->standardIcon(QStyle::SP_DirIcon);
        case File: break;
        }
        return m_style->standardIcon(QStyle::SP_FileIcon);
    }
    QIcon icon(const QFileInfo &info) const override
    {
        if (info.isRoot())
            return icon(Drive);
        return icon(info.isDir() ? Folder : File);
    }
    QString type(const QFileInfo &info) const override
    {
        if (info.isDir())
            return QObject::tr("Folder");
        const QString suffix = info.suffix();
        return suffix.isEmpty() ? QObject::tr("File") : QObject::tr("%1 File").arg(suffix.toUpper());
    }

private:
    const QStyle *m_style;
};

// The dialog's views fill the pixmap cache with the style's drawings, and its
// models leave the heap holed; a typist opens a file and then plays for
// hours, so hand both back once it has closed.
void ReleaseDialogMemory()
{
    QPixmapCache::clear();
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

QString OpenDialog::choose(QWidget *parent)
{
    QString chosen;
    {
        QFileDialog dialog(parent, title);
        StyleFileIcons icons(dialog.style());
        dialog.setIconProvider(&icons);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (!nameFilters.isEmpty())
            dialog.setNameFilters(nameFilters);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    ReleaseDialogMemory();
    return chosen;
}
