// Waiting for the event loop in a GoogleTest test. QtTest's QTRY_ macros return from
// the test on failure and GoogleTest then counts it as passed; this helper only
// answers, and the test asserts on the answer:
//   ASSERT_TRUE(WarteBis([&] { return !Ereignisse.empty(); }));
#pragma once

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

template <typename Bedingung>
bool WarteBis(Bedingung bedingung, std::chrono::milliseconds frist = std::chrono::seconds(10))
{
    const QDeadlineTimer ende(frist);
    while (!bedingung()) {
        if (ende.hasExpired())
            return bedingung();
        QEventLoop schleife;
        QTimer::singleShot(5, &schleife, &QEventLoop::quit);
        schleife.exec();
    }
    return true;
}
