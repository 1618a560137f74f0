// Hidden message windows: what a component gets from the class library's AllocateHWnd.
// A window is a 32-bit handle that leads to a window procedure; the shell and the
// session talk to components only through such handles. A handle is never handed out
// twice, so a message for a window that is gone finds nobody and does nothing.
#pragma once

#include <cstdint>
#include <functional>

using HWND = uint32_t;

struct TMessage {
    uint32_t Msg;
    uintptr_t WParam;
    intptr_t LParam;
    intptr_t Result;
};

using TWndMethod = std::function<void(TMessage& Message)>;

inline constexpr uint32_t WM_QUERYENDSESSION = 0x0011;
inline constexpr uint32_t WM_ENDSESSION = 0x0016;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
inline constexpr uint32_t WM_USER = 0x0400;

// Creates a hidden window whose messages go to the given procedure.
HWND AllocateHWnd(TWndMethod methode);
// Removes the window; messages still on their way to it are dropped.
void DeallocateHWnd(HWND fenster);
bool IsWindow(HWND fenster);

// Delivers a message at once and returns the procedure's result (0 for no window).
intptr_t SendeFensterNachricht(HWND fenster, uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0);
// Queues a message for the GUI thread's event loop, as the shell posts its
// notifications; the window is looked up only when the message is delivered.
void StelleNachrichtZu(HWND fenster, uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0);
// Sends a message to every hidden window (the session's end reaches them all).
void SendeAnAlleFenster(uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0);
