#include "platform/Anwendung.h"

#include "platform/Nachrichtenfenster.h"

#include <QApplication>
#include <QEvent>
#include <QSessionManager>
#include <QTimer>
#include <QWindowStateChangeEvent>

TApplication::TApplication()
{
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        app->installEventFilter(this);
#ifndef QT_NO_SESSIONMANAGER
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { Sitzungsende(); });
#endif
    }
}

TApplication& Application()
{
    // Never freed: components in static objects may still detach from it at exit.
    static auto* anwendung = new TApplication;
    return *anwendung;
}

void TApplication::SetzeIcon(const QIcon& icon)
{
    Icon = icon;
    QApplication::setWindowIcon(icon);
    // The others follow the application's icon by themselves.
    for (QWidget* fenster : QApplication::topLevelWidgets())
        if (fenster->testAttribute(Qt::WA_SetWindowIcon))
            fenster->setWindowIcon(icon);
}

void TApplication::Minimize()
{
    if (OnMinimize) {
        OnMinimize(this);
        return;
    }
    MinimiereAufTaskleiste();
}

void TApplication::MinimiereAufTaskleiste()
{
    if (MainForm && (!MainForm->isVisible() || !MainForm->isMinimized()))
        MainForm->showMinimized();
}

void TApplication::Restore()
{
    if (MainForm) {
        MainForm->showNormal();
        MainForm->raise();
        MainForm->activateWindow();
    }
    if (OnRestore)
        OnRestore(this);
}

void TApplication::Sitzungsende()
{
    SendeAnAlleFenster(WM_QUERYENDSESSION, 0, 0);
    SendeAnAlleFenster(WM_ENDSESSION, 1, 0);
}

bool TApplication::eventFilter(QObject* objekt, QEvent* ereignis)
{
    if (ereignis->type() == QEvent::WindowStateChange && MainForm && objekt == MainForm.data()) {
        const auto* wechsel = static_cast<QWindowStateChangeEvent*>(ereignis);
        if (!(wechsel->oldState() & Qt::WindowMinimized) && MainForm->isMinimized()) {
            // From the event loop, not inside the state change: the handlers hide the
            // window, and the user may have restored it again by then. Only for the
            // window that changed, should another have become the main one meanwhile.
            QMetaObject::invokeMethod(
                this,
                [this, fenster = MainForm] {
                    if (fenster && MainForm == fenster && MainForm->isMinimized())
                        Minimize();
                },
                Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(objekt, ereignis);
}

void NachDemZeigen(QObject* kontext, std::function<void()> aufgabe)
{
    QTimer::singleShot(
        0, kontext, [kontext, aufgabe = std::move(aufgabe)] { QTimer::singleShot(0, kontext, aufgabe); });
}
