#pragma once

#include <QCoreApplication>

// The pitch and wind-count tracks grow line by line, letting pending events
// run before each line so the bar stays responsive. A press (or drag step)
// handled in between starts a newer drawing; the interrupted one then stops,
// so the newest position is the one drawn, applied and stored.
class TrackDrawing
{
public:
    // Starts a drawing; the ticket identifies it.
    unsigned begin() { return ++m_latest; }

    // Lets pending events run. False once a newer drawing has begun.
    bool letEventsRun(unsigned ticket) const
    {
        QCoreApplication::processEvents();
        return ticket == m_latest;
    }

private:
    unsigned m_latest = 0;
};
