// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/SeekBar.h"

#include "engine/Player.h"
#include "rules/NumberText.h"

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
    explicit SeekBarAccessible(SeekBar *bar)
        : QAccessibleWidget(bar, QAccessible::Slider), m_player(bar->player()) {}

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
                .arg(NumberText(RoundHalfEven2(m_player.position())),
                     NumberText(RoundHalfEven2(m_player.duration())));
        return QAccessibleWidget::text(type);
    }

    QVariant currentValue() const override { return m_player.position(); }
    void setCurrentValue(const QVariant &value) override
    {
        if (m_player.hasFile())
            m_player.jumpTo(value.toDouble());
    }
    QVariant maximumValue() const override { return m_player.duration(); }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return SeekBar::ArrowStep; }

private:
    Player &m_player;
};

QAccessibleInterface *seekBarAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("SeekBar") && object && object->isWidgetType())
        return new SeekBarAccessible(static_cast<SeekBar *>(object));
    return nullptr;
}
} // namespace

SeekBar::SeekBar(Player &player, QWidget *parent)
    : QWidget(parent), m_player(player), m_position(player.position()), m_duration(player.duration()),
      m_state(player.playState())
{
    static const bool accessibleInstalled = (QAccessible::installFactory(seekBarAccessible), true);
    Q_UNUSED(accessibleInstalled);
    resize(ControlWidth, ControlHeight);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Seek bar"));
    setAccessibleDescription(QStringLiteral("Play position; arrow keys move it"));
    connect(&player, &Player::positionMoved, this, [this](double seconds) {
        m_position = seconds;
        repaintIfChanged();
    });
    connect(&player, &Player::durationChanged, this, [this](double seconds) {
        m_duration = seconds;
        repaintIfChanged();
    });
    connect(&player, &Player::stateChanged, this, [this](PlayState state) {
        m_state = state;
        repaintIfChanged();
    });
}

QSize SeekBar::sizeHint() const
{
    return {ControlWidth, ControlHeight};
}

// The track runs between the handle's half widths, so the handle's centre
// sits on the position at both ends.
QRect SeekBar::trackRect() const
{
    const int y = (StripHeight - TrackHeight) / 2;
    return QRect(HandleWidth / 2, y, std::max(1, width() - HandleWidth), TrackHeight);
}

double SeekBar::positionAt(int x) const
{
    const QRect track = trackRect();
    const double fraction = std::clamp(double(x - track.left()) / track.width(), 0.0, 1.0);
    return fraction * m_player.duration();
}

// The played part in whole pixels: at a dictation's length it grows by a
// pixel every few seconds, so most position changes have nothing to repaint.
int SeekBar::playedWidth() const
{
    if (!isEnabledTrack())
        return 0;
    const double fraction = std::clamp(m_position / m_duration, 0.0, 1.0);
    return int(fraction * trackRect().width() + 0.5);
}

bool SeekBar::isEnabledTrack() const
{
    return m_state != PlayState::NoFile && m_duration > 0;
}

void SeekBar::repaintIfChanged()
{
    if (playedWidth() != m_paintedWidth || isEnabledTrack() != m_paintedEnabled)
        update();
}

void SeekBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect strip(0, 0, width(), StripHeight);
    painter.fillRect(strip, palette().window());

    const QRect track = trackRect();
    const bool enabled = isEnabledTrack();
    const int played = playedWidth();
    m_paintedWidth = played;
    m_paintedEnabled = enabled;

    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().base());
    painter.drawRect(track.adjusted(0, 0, -1, -1));
    if (played > 0)
        painter.fillRect(QRect(track.left(), track.top(), played, track.height()), palette().highlight());

    const int centre = track.left() + played;
    const QRect handle(centre - HandleWidth / 2, 2, HandleWidth, StripHeight - 4);
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

void SeekBar::jumpTo(double seconds)
{
    if (m_player.hasFile())
        m_player.jumpTo(seconds);
}

void SeekBar::seekFromMouse(int x)
{
    jumpTo(positionAt(x));
}

void SeekBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || event->position().y() >= StripHeight) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    seekFromMouse(event->position().toPoint().x());
}

void SeekBar::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        seekFromMouse(event->position().toPoint().x());
}

void SeekBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging && event->button() == Qt::LeftButton)
        m_dragging = false;
}

void SeekBar::stepBy(double seconds)
{
    jumpTo(std::max(0.0, m_player.position() + seconds));
}

void SeekBar::keyPressEvent(QKeyEvent *event)
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
        jumpTo(m_player.duration());
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

#include "moc_SeekBar.cpp"
