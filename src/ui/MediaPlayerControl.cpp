// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MediaPlayerControl.h"

#include "engine/MpvEngine.h"
#include "rules/NumberText.h"
#include "engine/Player.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {
constexpr int ControlWidth = 134;   // 2010 twips
constexpr int ControlHeight = 43;   // 645 twips
constexpr int HandleWidth = 7;
constexpr int TrackHeight = 4;

// Screen readers see the seek bar as a slider over the play position in
// seconds, and can move it.
class SeekBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit SeekBarAccessible(MediaPlayerControl *control)
        : QAccessibleWidget(control, QAccessible::Slider), m_control(control) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value)
            return QStringLiteral("%1 of %2 seconds")
                .arg(NumberText(RoundHalfEven2(m_control->CurrentPosition())),
                     NumberText(RoundHalfEven2(m_control->Duration())));
        return QAccessibleWidget::text(type);
    }

    QVariant currentValue() const override { return m_control->CurrentPosition(); }
    void setCurrentValue(const QVariant &value) override
    {
        if (m_control->PlayState() != MediaPlayer::NoFile && m_control->player())
            m_control->player()->jumpTo(value.toDouble());
    }
    QVariant maximumValue() const override { return m_control->Duration(); }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return MediaPlayerControl::ArrowStep; }

private:
    MediaPlayerControl *m_control;
};

QAccessibleInterface *seekBarAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("MediaPlayerControl") && object && object->isWidgetType())
        return new SeekBarAccessible(static_cast<MediaPlayerControl *>(object));
    return nullptr;
}
} // namespace

MediaPlayerControl::MediaPlayerControl(QWidget *parent)
    : MediaPlayerControl(MpvEngine::defaultAudioOutputs(), parent)
{
}

MediaPlayerControl::MediaPlayerControl(const QByteArray &audioOutputs, QWidget *parent)
    : QWidget(parent), m_engine(new MpvEngine(audioOutputs, this))
{
    static const bool accessibleInstalled = (QAccessible::installFactory(seekBarAccessible), true);
    Q_UNUSED(accessibleInstalled);
    resize(ControlWidth, ControlHeight);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Seek bar"));
    setAccessibleDescription(QStringLiteral("Play position; arrow keys move it"));
    connect(m_engine, &MpvEngine::positionChanged, this, &MediaPlayerControl::repaintIfMoved);
    connect(m_engine, &MpvEngine::stateChanged, this, [this] { repaintIfMoved(m_engine->CurrentPosition()); });
    connect(m_engine, &MpvEngine::openFailed, this, &MediaPlayerControl::openFailed);
    connect(m_engine, &MpvEngine::playbackError, this, &MediaPlayerControl::playbackError);
}

MediaPlayerControl::~MediaPlayerControl() = default;

double MediaPlayerControl::CurrentPosition() const { return m_engine->CurrentPosition(); }
void MediaPlayerControl::setCurrentPosition(double seconds) { m_engine->setCurrentPosition(seconds); }
double MediaPlayerControl::Duration() const { return m_engine->Duration(); }
double MediaPlayerControl::Rate() const { return m_engine->Rate(); }
void MediaPlayerControl::setRate(double rate) { m_engine->setRate(rate); }
PlayState MediaPlayerControl::PlayState() const { return m_engine->PlayState(); }
void MediaPlayerControl::Play() { m_engine->Play(); }
void MediaPlayerControl::Pause() { m_engine->Pause(); }
void MediaPlayerControl::Stop() { m_engine->Stop(); }
void MediaPlayerControl::Open(const FilePath &fullPath) { m_engine->Open(fullPath); }
bool MediaPlayerControl::Opening() const { return m_engine->Opening(); }

QSize MediaPlayerControl::sizeHint() const
{
    return {ControlWidth, ControlHeight};
}

// The track runs between the handle's half widths, so the handle's centre
// sits on the position at both ends.
QRect MediaPlayerControl::trackRect() const
{
    const int y = (SeekBarHeight - TrackHeight) / 2;
    return QRect(HandleWidth / 2, y, std::max(1, width() - HandleWidth), TrackHeight);
}

double MediaPlayerControl::positionAt(int x) const
{
    const QRect track = trackRect();
    const double fraction = std::clamp(double(x - track.left()) / track.width(), 0.0, 1.0);
    return fraction * m_engine->Duration();
}

// The played part in whole pixels: at a dictation's length it grows by a
// pixel every few seconds, so most position changes have nothing to repaint.
int MediaPlayerControl::playedWidth(double position) const
{
    const double duration = m_engine->Duration();
    if (m_engine->PlayState() == MediaPlayer::NoFile || duration <= 0)
        return 0;
    const double fraction = std::clamp(position / duration, 0.0, 1.0);
    return int(fraction * trackRect().width() + 0.5);
}

bool MediaPlayerControl::isEnabledTrack() const
{
    return m_engine->PlayState() != MediaPlayer::NoFile && m_engine->Duration() > 0;
}

void MediaPlayerControl::repaintIfMoved(double position)
{
    if (playedWidth(position) != m_paintedWidth || isEnabledTrack() != m_paintedEnabled)
        update();
}

void MediaPlayerControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect strip(0, 0, width(), SeekBarHeight);
    painter.fillRect(strip, palette().window());

    const QRect track = trackRect();
    const bool enabled = isEnabledTrack();
    const int played = playedWidth(m_engine->CurrentPosition());
    m_paintedWidth = played;
    m_paintedEnabled = enabled;

    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().base());
    painter.drawRect(track.adjusted(0, 0, -1, -1));
    if (played > 0)
        painter.fillRect(QRect(track.left(), track.top(), played, track.height()), palette().highlight());

    const int centre = track.left() + played;
    const QRect handle(centre - HandleWidth / 2, 2, HandleWidth, SeekBarHeight - 4);
    painter.setPen(palette().color(QPalette::Dark));
    painter.setBrush(enabled ? palette().button() : palette().window());
    painter.drawRect(handle.adjusted(0, 0, -1, -1));
    // The focus mark only once the keyboard has moved the focus: a click on
    // the bar gives the seek bar focus as the window's first control.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(strip.adjusted(0, 0, -1, -1));
    }
}

void MediaPlayerControl::jumpTo(double seconds)
{
    if (m_engine->PlayState() != MediaPlayer::NoFile && m_player)
        m_player->jumpTo(seconds);
}

void MediaPlayerControl::seekFromMouse(int x)
{
    jumpTo(positionAt(x));
}

void MediaPlayerControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || event->position().y() >= SeekBarHeight) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    seekFromMouse(event->position().toPoint().x());
}

void MediaPlayerControl::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        seekFromMouse(event->position().toPoint().x());
}

void MediaPlayerControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging && event->button() == Qt::LeftButton)
        m_dragging = false;
}

void MediaPlayerControl::stepBy(double seconds)
{
    jumpTo(std::max(0.0, m_engine->CurrentPosition() + seconds));
}

void MediaPlayerControl::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        stepBy(-ArrowStep);
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        stepBy(ArrowStep);
        break;
    case Qt::Key_PageDown:
        stepBy(-PageStep);
        break;
    case Qt::Key_PageUp:
        stepBy(PageStep);
        break;
    case Qt::Key_Home:
        jumpTo(0);
        break;
    case Qt::Key_End:
        jumpTo(m_engine->Duration());
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

#include "moc_MediaPlayerControl.cpp"
