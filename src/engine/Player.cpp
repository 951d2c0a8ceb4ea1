// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Player.h"

#include "engine/AudioControls.h"
#include "engine/MpvEngine.h"
#include "rules/Sliders.h"

Player::Player(std::unique_ptr<MpvEngine> engine, std::function<double()> windStep, QObject *parent)
    : Player(*engine, std::move(windStep), parent)
{
    m_ownEngine = std::move(engine);
    follow(m_ownEngine.get());
}

Player::Player(MediaPlayer &engine, std::function<double()> windStep, QObject *parent)
    : QObject(parent), m_engine(engine), m_windStep(std::move(windStep)),
      m_announcedState(engine.PlayState()), m_announcedRate(engine.Rate()),
      m_audio(std::make_unique<AudioControls>(dynamic_cast<MpvEngine *>(&engine)))
{
}

Player::~Player() = default;

// A command and the engine's push report the same change: whichever comes
// first announces it, once.
void Player::announceState()
{
    const PlayState now = m_engine.PlayState();
    if (now == m_announcedState)
        return;
    m_announcedState = now;
    emit stateChanged(now);
}

void Player::announceRate()
{
    const double now = m_engine.Rate();
    if (now == m_announcedRate)
        return;
    m_announcedRate = now;
    emit rateChanged(now);
}

void Player::moveTo(double seconds)
{
    m_engine.setCurrentPosition(seconds);
    emit positionChanged(m_engine.CurrentPosition());
}

void Player::open(const FilePath &path)
{
    if (hasFile())
        emit leavingFile();
    m_file = path;
    m_opening = false;
    m_whenOpen.clear();
    m_engine.Open(path);
    // Only an engine of our own is followed, and tells when its file is open.
    if (m_engine.Opening() && m_ownEngine) {
        m_opening = true;
        announceState();
        return;
    }
    emit fileChanged(path.toDisplayString(), hasFile());
    announceState();
}

void Player::finishOpening()
{
    if (!std::exchange(m_opening, false))
        return;
    emit fileChanged(m_file.toDisplayString(), hasFile());
    announceState();
    for (const auto &command : std::exchange(m_whenOpen, {}))
        command();
}

void Player::failOpening(const QString &reason)
{
    const bool wasOpening = std::exchange(m_opening, false);
    m_whenOpen.clear();
    emit openFailed(reason);
    if (!wasOpening)
        return;  // open() reports it
    emit fileChanged(m_file.toDisplayString(), false);
    announceState();
}

bool Player::deferWhileOpening(std::function<void()> command)
{
    if (!m_opening)
        return false;
    m_whenOpen.push_back(std::move(command));
    return true;
}

bool Player::deferWhileOpening(void (Player::*command)())
{
    return deferWhileOpening([this, command] { (this->*command)(); });
}

void Player::play()
{
    if (deferWhileOpening(&Player::play) || !hasFile())
        return;
    m_engine.Play();
    emit lookChanged(TransportLook::playing());
    emit transportCommanded(Transport::Play);
    announceState();
}

void Player::pause()
{
    if (deferWhileOpening(&Player::pause) || !hasFile())
        return;
    if (isPlaying())
        m_engine.Pause();
    emit lookChanged(TransportLook::paused());
    emit transportCommanded(Transport::Pause);
    announceState();
}

void Player::togglePlayPause()
{
    if (deferWhileOpening(&Player::togglePlayPause))
        return;
    if (isPlaying())
        pause();
    else
        play();
}

void Player::stop()
{
    if (deferWhileOpening(&Player::stop) || !hasFile())
        return;
    m_engine.Stop();
    moveTo(0);
    emit lookChanged(TransportLook::stopped());
    emit transportCommanded(Transport::Stop);
    announceState();
}

void Player::rewindToStart()
{
    if (deferWhileOpening(&Player::rewindToStart))
        return;
    if (hasFile())
        moveTo(0);
}

bool Player::windBack()
{
    if (!hasFile())
        return false;
    const double target = position() - windStep();
    if (!(target > 0))
        return false;
    moveTo(target);
    return true;
}

bool Player::windForward()
{
    if (!hasFile())
        return false;
    const double target = position() + windStep();
    if (!(duration() > target))
        return false;
    moveTo(target);
    return true;
}

void Player::setRate(double rate)
{
    m_engine.setRate(PitchRate(rate));
    announceRate();
}

void Player::jumpTo(double seconds)
{
    if (deferWhileOpening([this, seconds] { jumpTo(seconds); }))
        return;
    moveTo(seconds);
    announceState();
}

void Player::follow(MpvEngine *engine)
{
    connect(engine, &MpvEngine::positionChanged, this, &Player::positionMoved);
    connect(engine, &MpvEngine::durationChanged, this, &Player::durationChanged);
    connect(engine, &MpvEngine::playStateChanged, this, &Player::announceState);
    connect(engine, &MpvEngine::rateChanged, this, &Player::announceRate);
    connect(engine, &MpvEngine::opened, this, &Player::finishOpening);
    connect(engine, &MpvEngine::openFailed, this, &Player::failOpening);
}

void Player::showLook(const TransportLook &look)
{
    emit lookChanged(look);
}
