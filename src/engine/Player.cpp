// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Player.h"

#include "engine/MpvEngine.h"

Player::Player(MediaPlayer &engine, std::function<double()> windStep, QObject *parent)
    : QObject(parent), m_engine(engine), m_windStep(std::move(windStep)),
      m_announcedState(engine.PlayState()), m_announcedRate(engine.Rate())
{
}

// A command and the engine's push report the same change: whichever comes
// first announces it, once.
void Player::announceState()
{
    const int now = m_engine.PlayState();
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
    m_file = path;
    m_engine.Open(path);
    emit fileChanged(path.toDisplayString(), hasFile());
    announceState();
}

void Player::play()
{
    if (!hasFile())
        return;
    m_engine.Play();
    emit lookChanged(TransportLook::playing());
    emit transportCommanded(Transport::Play);
    announceState();
}

void Player::pause()
{
    if (!hasFile())
        return;
    if (isPlaying())
        m_engine.Pause();
    emit lookChanged(TransportLook::paused());
    emit transportCommanded(Transport::Pause);
    announceState();
}

void Player::togglePlayPause()
{
    if (isPlaying())
        pause();
    else
        play();
}

void Player::stop()
{
    if (!hasFile())
        return;
    m_engine.Stop();
    moveTo(0);
    emit lookChanged(TransportLook::stopped());
    emit transportCommanded(Transport::Stop);
    announceState();
}

void Player::rewindToStart()
{
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
    m_engine.setRate(rate);
    announceRate();
}

void Player::jumpTo(double seconds)
{
    moveTo(seconds);
    announceState();
}

void Player::follow(MpvEngine *engine)
{
    connect(engine, &MpvEngine::positionChanged, this, &Player::positionMoved);
    connect(engine, &MpvEngine::durationChanged, this, &Player::durationChanged);
    connect(engine, &MpvEngine::playStateChanged, this, &Player::announceState);
    connect(engine, &MpvEngine::rateChanged, this, &Player::announceRate);
    connect(engine, &MpvEngine::openFailed, this, &Player::openFailed);
}

void Player::showLook(const TransportLook &look)
{
    emit lookChanged(look);
}
