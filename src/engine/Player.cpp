// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Player.h"

#include "engine/MpvEngine.h"

Player::Player(MediaPlayer &engine, std::function<double()> windStep, QObject *parent)
    : QObject(parent), m_engine(engine), m_windStep(std::move(windStep))
{
}

void Player::announceState(int before)
{
    const int now = m_engine.PlayState();
    if (now != before)
        emit stateChanged(now);
}

void Player::moveTo(double seconds)
{
    m_engine.setCurrentPosition(seconds);
    emit positionChanged(m_engine.CurrentPosition());
}

void Player::open(const FilePath &path)
{
    const int before = m_engine.PlayState();
    m_file = path;
    m_engine.Open(path);
    emit fileChanged(path.toDisplayString(), hasFile());
    announceState(before);
}

void Player::play()
{
    if (!hasFile())
        return;
    const int before = m_engine.PlayState();
    m_engine.Play();
    emit lookChanged(TransportLook::playing());
    emit transportCommanded(Transport::Play);
    announceState(before);
}

void Player::pause()
{
    if (!hasFile())
        return;
    const int before = m_engine.PlayState();
    if (isPlaying())
        m_engine.Pause();
    emit lookChanged(TransportLook::paused());
    emit transportCommanded(Transport::Pause);
    announceState(before);
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
    const int before = m_engine.PlayState();
    m_engine.Stop();
    moveTo(0);
    emit lookChanged(TransportLook::stopped());
    emit transportCommanded(Transport::Stop);
    announceState(before);
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
    const double before = m_engine.Rate();
    m_engine.setRate(rate);
    if (m_engine.Rate() != before)
        emit rateChanged(m_engine.Rate());
}

void Player::jumpTo(double seconds)
{
    const int before = m_engine.PlayState();
    moveTo(seconds);
    announceState(before);
}

void Player::follow(MpvEngine *engine)
{
    connect(engine, &MpvEngine::positionChanged, this, &Player::positionMoved);
    connect(engine, &MpvEngine::durationChanged, this, &Player::durationChanged);
    connect(engine, &MpvEngine::playStateChanged, this, &Player::stateChanged);
    connect(engine, &MpvEngine::rateChanged, this, &Player::rateChanged);
    connect(engine, &MpvEngine::openFailed, this, &Player::openFailed);
}

void Player::showLook(const TransportLook &look)
{
    emit lookChanged(look);
}
