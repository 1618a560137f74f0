// Runs the event loop until a condition holds or the time is up; for tests whose
// results arrive through signals from other processes.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

template <typename F> bool WarteAuf(F bedingung, int millisekunden = 10000)
{
    QDeadlineTimer frist(millisekunden);
    while (!bedingung()) {
        if (frist.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
