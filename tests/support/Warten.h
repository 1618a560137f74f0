// Waiting on a condition while the event loop runs, instead of sleeping a fixed time.
// In a GoogleTest test QtTest's QTRY_ macros return from the test on failure and
// GoogleTest then counts it as passed; this helper only answers, and the test asserts
// on the answer:
//   ASSERT_TRUE(WarteBis([&] { return !Ereignisse.empty(); }));
// A QtTest test uses WARTE_BIS below, which fails it naming the condition.
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

// For QtTest tests only (a check of the tree keeps it out of GoogleTest files): waits
// like WarteBis, optionally with another time limit, and fails the test when the
// condition is still false then.
//   WARTE_BIS(QFile::exists(journal), std::chrono::seconds(30));
#define WARTE_BIS(bedingung, ...)                                                                            \
    QVERIFY2(WarteBis([&] { return bool(bedingung); } __VA_OPT__(, ) __VA_ARGS__),                           \
        "vergeblich gewartet auf: " #bedingung)
