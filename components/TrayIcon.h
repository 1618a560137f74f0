// The notification-area icon: shows one icon with a tooltip for as long as the
// component exists, raises OnDblClick on a double click, offers its popup menu on a
// right click while the program is hidden, and hides the program whenever the
// application is minimized.
//
// Where the desktop has no notification area the component stays without an icon
// and does nothing at all with the shell; IconAngezeigt() tells so, and then a
// minimize leaves the window on the taskbar instead of hiding it, since the program
// could not be brought back otherwise. When an area comes up later (a panel started
// after the program, or restarted), the icon is added to it with its current hint,
// and a window waiting minimized on the taskbar moves into it; when the area goes
// away, a window hidden in it comes back onto the taskbar.
#pragma once

#include "platform/Icon.h"
#include "platform/ShellNotify.h"
#include "runtime/Ereignisse.h"

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class TTrayIcon : public QObject {
    Q_OBJECT

public:
    // Puts the icon into the notification area, with the application's icon and title
    // as tooltip, and installs itself as the application's minimize and restore hooks.
    explicit TTrayIcon(QObject* AOwner);
    // Removes the icon, detaches those hooks still pointing here and stops the window
    // that receives the shell's notifications.
    ~TTrayIcon() override;
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    const QString& Hint() const { return FHint; }
    // The tooltip follows the hint, cut to 63 characters; an empty hint removes it.
    void SetHint(const QString& Value);
    // Shows the picture; the icon keeps its own share of it.
    void SetIcon(const QIcon& bild);

    // Not owned; forgotten when the menu is destroyed.
    QPointer<QMenu> PopupMenu;

    TNotifyEvent OnDblClick;

    // Whether the icon is in the notification area. False while the desktop has none,
    // and after the session's end removed it.
    bool IconAngezeigt() const { return FAngezeigt; }

    // A warning in a balloon at the icon for ten seconds; false without an icon, or
    // where the notification area shows no messages.
    bool ZeigeWarnung(const QString& text);

private:
    NOTIFYICONDATA FNotifyData {};
    std::unique_ptr<TIcon> FIcon;
    QString FHint;
    bool FAngezeigt = false;

    void ModifyIcon();
    void DeleteIcon();
    void PopupAtCursor();
    void DblClick();
    void WndProc(TMessage& Message);
    void DoMinimize();
    void DoRestore();

    // A notification area came up, or went away, while the component lives.
    void InfobereichDa();
    void InfobereichWeg();
    void ApplicationMinimize(QObject* Sender);
    void ApplicationRestore(QObject* Sender);
    void Melde(uint32_t nachricht);

    friend struct TTrayHaken;
};
