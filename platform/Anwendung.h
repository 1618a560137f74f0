// The class library's application object, as far as this program needs it: the window
// that stands for the application, its icon, and the minimize and restore
// notifications that the tray icon and the main window hook into.
//
// Qt has no separate application window, so the main window takes its place: its
// taskbar button is the application's, hiding it hides the program. Needs a
// QApplication; Application() creates the object on first use and it is never freed.
#pragma once

#include "runtime/Ereignisse.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

class TApplication : public QObject {
    Q_OBJECT

public:
    // Raised by Minimize() instead of its own minimize. The tray icon puts its hook
    // here when created; the main window may replace it.
    TNotifyEvent OnMinimize;
    // Raised by Restore() once the main window is back.
    TNotifyEvent OnRestore;
    // The main window. When it becomes minimized (by the user, or by setting its window
    // state before it is shown), Minimize() follows from the event loop.
    QPointer<QWidget> MainForm;
    // The program's icon; a new tray icon starts out with it.
    QIcon Icon;

    // A new program icon (the coin shows the currency): Icon, the application's window
    // icon, and every window that carries a copy of its own, at once.
    void SetzeIcon(const QIcon& icon);

    // Raises OnMinimize; without a handler it minimizes to the taskbar.
    void Minimize();
    // The minimize of its own: the main window minimized on the taskbar (shown
    // minimized if it was hidden), so the program stays reachable.
    void MinimiereAufTaskleiste();
    // Shows the main window in its normal state, raises and activates it, then raises
    // OnRestore.
    void Restore();
    // The desktop session ends: every hidden window receives WM_QUERYENDSESSION and
    // WM_ENDSESSION (ending = 1), which takes the tray icon out of the notification
    // area. Connected to the session manager's request; callable by tests.
    void Sitzungsende();

protected:
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;

private:
    TApplication();
    friend TApplication& Application();
};

TApplication& Application();

// Runs 'aufgabe' for 'kontext' (not when that is gone by then) once the event loop has
// gone round after the round now due: start-up's work that need not come before the
// main window first shows, which it does in that round.
void NachDemZeigen(QObject* kontext, std::function<void()> aufgabe);
