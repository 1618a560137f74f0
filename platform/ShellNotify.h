// The shell's notification-area call, Shell_NotifyIconA, over QSystemTrayIcon. The
// component hands over the whole NOTIFYICONDATA record on every call, as the shell
// wants it; the icon's clicks come back as the record's callback message, posted to
// the record's window with the mouse message in LParam. The service behind the call
// can be replaced: tests install a recording one (tests/support).
#pragma once

#include "platform/Icon.h"
#include "platform/Nachrichtenfenster.h"

#include <QPoint>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#pragma pack(push, 4)
struct NOTIFYICONDATA {
    uint32_t cbSize;
    HWND hWnd;
    uint32_t uID;
    uint32_t uFlags;
    uint32_t uCallbackMessage;
    HICON hIcon;
    char szTip[64];
};
#pragma pack(pop)

static_assert(sizeof(NOTIFYICONDATA) == 88);
static_assert(offsetof(NOTIFYICONDATA, cbSize) == 0);
static_assert(offsetof(NOTIFYICONDATA, hWnd) == 4);
static_assert(offsetof(NOTIFYICONDATA, uID) == 8);
static_assert(offsetof(NOTIFYICONDATA, uFlags) == 12);
static_assert(offsetof(NOTIFYICONDATA, uCallbackMessage) == 16);
static_assert(offsetof(NOTIFYICONDATA, hIcon) == 20);
static_assert(offsetof(NOTIFYICONDATA, szTip) == 24);

inline constexpr uint32_t NIM_ADD = 0;
inline constexpr uint32_t NIM_MODIFY = 1;
inline constexpr uint32_t NIM_DELETE = 2;

inline constexpr uint32_t NIF_MESSAGE = 1;
inline constexpr uint32_t NIF_ICON = 2;
inline constexpr uint32_t NIF_TIP = 4;

// Broadcast to every window when a notification area comes up (Explorer's registered
// "TaskbarCreated" message): it knows no icons yet, so whoever wants one adds it again.
inline constexpr uint32_t WM_TASKBARCREATED = 0xC0A1;
// Broadcast when the notification area goes away (a panel ends or restarts): every
// icon is gone with it.
inline constexpr uint32_t WM_TASKBARREMOVED = 0xC0A2;

inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;

// The tooltip holds at most this many characters (Windows-1252) and a closing zero.
inline constexpr int MaxTipLaenge = 63;

// Puts the text, cut to 63 characters, into szTip; the rest of the field is zeroed.
void SetzeTip(NOTIFYICONDATA& daten, const QString& text);
// szTip up to its closing zero (or the end of the field, should it lack one).
QString TipText(const NOTIFYICONDATA& daten);

class TShellNotifyDienst {
public:
    virtual ~TShellNotifyDienst() = default;
    virtual bool NotifyIcon(uint32_t nachricht, const NOTIFYICONDATA& daten) = 0;
    // A message in a balloon at the icon of 'daten', with the warning sign, for
    // 'millisekunden'. False where that icon is not shown.
    [[nodiscard]] virtual bool Sprechblase(
        const NOTIFYICONDATA& daten, const QString& titel, const QString& text, int millisekunden);
    // Where the mouse is and which modifier keys are down, read when a click is handled.
    virtual QPoint Cursorposition() const;
    virtual Qt::KeyboardModifiers Tastatur() const;
};

// Replaces the service; nullptr brings back the desktop's notification area.
void InstalliereShellNotify(std::unique_ptr<TShellNotifyDienst> dienst);
TShellNotifyDienst& ShellNotify();

// The desktop's notification area. NIM_ADD fails where the desktop has none. It
// watches for the area coming and going (a panel started after the program, or
// restarted) and tells the windows with the two messages above.
std::unique_ptr<TShellNotifyDienst> DesktopShellNotify();

bool Shell_NotifyIconA(uint32_t dwMessage, const NOTIFYICONDATA* lpData);
QPoint GetCursorPos();
// High bit set (negative) while the key is down; only VK_SHIFT, VK_CONTROL, VK_MENU.
int16_t GetKeyState(int nVirtKey);
