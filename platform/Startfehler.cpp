#include "platform/Startfehler.h"

#include "runtime/Fehlerausgabe.h"

#include <QApplication>
#include <QMessageBox>

bool AnzeigeVorhanden(const QByteArray& plattform, const QByteArray& display, const QByteArray& wayland)
{
    if (plattform.isEmpty())
        return !display.isEmpty() || !wayland.isEmpty();
    // The first name counts; Qt tries the others only when it cannot load it.
    const QByteArray erste = plattform.split(';').constFirst().split(':').constFirst().trimmed();
    if (erste == "offscreen" || erste == "minimal" || erste.isEmpty())
        return false;
    if (erste == "xcb")
        return !display.isEmpty();
    if (erste.startsWith("wayland"))
        return !wayland.isEmpty();
    return true; // eglfs, linuxfb, vnc...: they bring their own screen
}

int MeldeStartfehler(const QString& text)
{
    const bool benannt = text.startsWith(QStringLiteral("Kostenwolf"));
    SchreibeFehlerausgabe(benannt ? text : QStringLiteral("Kostenwolf: ") + text);
    if (!AnzeigeVorhanden(qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY")))
        return StartfehlerCode;
    auto zeige = [&] {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Kostenwolf"), text, QMessageBox::Ok);
        box.exec();
    };
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        zeige();
    }
    else if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "kostenwolf";
        static char* argv[] = { name, nullptr };
        QApplication app(argc, argv);
        zeige();
    }
    return StartfehlerCode;
}
