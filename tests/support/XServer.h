// An X server of the test's own (Xvfb on a free display), torn down with the test, and
// the programs the test starts on it, stopped however the test ends.
#pragma once

#include "support/Warten.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>

// Stops the program it started when the test ends, however it ends.
struct TGestartet {
    QProcess Prozess;
    ~TGestartet()
    {
        if (Prozess.state() != QProcess::NotRunning) {
            Prozess.terminate();
            if (!Prozess.waitForFinished(3000)) {
                Prozess.kill();
                Prozess.waitForFinished(3000);
            }
        }
    }
};

inline int FreiesDisplay()
{
    for (int n = 77; n < 177; ++n)
        if (!QFile::exists(QString("/tmp/.X%1-lock").arg(n))
            && !QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n)))
            return n;
    return -1;
}

// Xvfb on a free display; the environment for programs on it.
struct TXServer {
    TGestartet Server;
    QProcessEnvironment Umgebung = QProcessEnvironment::systemEnvironment();

    // Empty when it runs; otherwise why the test is skipped.
    QString Starte(const QString& bildschirm = QStringLiteral("640x480x24"))
    {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty())
            return "Xvfb is needed for this test (Debian package xvfb)";
        const int nummer = FreiesDisplay();
        if (nummer < 0)
            return "no free X display number";
        const QString display = QString(":%1").arg(nummer);
        Server.Prozess.start(xvfb, { display, "-screen", "0", bildschirm, "-nolisten", "tcp" });
        if (!Server.Prozess.waitForStarted(5000)
            || !WarteBis([&] { return QFile::exists(QString("/tmp/.X11-unix/X%1").arg(nummer)); },
                std::chrono::milliseconds(10000)))
            return "Xvfb did not come up on " + display;
        Umgebung.insert("DISPLAY", display);
        Umgebung.insert("QT_QPA_PLATFORM", "xcb");
        return {};
    }
};
