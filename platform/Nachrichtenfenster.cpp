#include "platform/Nachrichtenfenster.h"

#include <QCoreApplication>
#include <QTimer>
#include <map>
#include <memory>
#include <vector>

namespace {

struct TFenster {
    TWndMethod Methode;
};

// shared_ptr so that a procedure may remove its own window (or others) while it runs.
std::map<HWND, std::shared_ptr<TFenster>>& Fenster()
{
    // Never destroyed: a component in a static object may remove its window at exit.
    static auto* fenster = new std::map<HWND, std::shared_ptr<TFenster>>;
    return *fenster;
}

HWND naechsterHandle = 0x10000;

} // namespace

HWND AllocateHWnd(TWndMethod methode)
{
    const HWND handle = naechsterHandle;
    naechsterHandle += 4;
    Fenster()[handle] = std::make_shared<TFenster>(TFenster { std::move(methode) });
    return handle;
}

void DeallocateHWnd(HWND fenster)
{
    Fenster().erase(fenster);
}

bool IsWindow(HWND fenster)
{
    return Fenster().count(fenster) != 0;
}

intptr_t SendeFensterNachricht(HWND fenster, uint32_t msg, uintptr_t wParam, intptr_t lParam)
{
    const auto it = Fenster().find(fenster);
    if (it == Fenster().end())
        return 0;
    const std::shared_ptr<TFenster> ziel = it->second;
    TMessage nachricht { msg, wParam, lParam, 0 };
    if (ziel->Methode)
        ziel->Methode(nachricht);
    return nachricht.Result;
}

void StelleNachrichtZu(HWND fenster, uint32_t msg, uintptr_t wParam, intptr_t lParam)
{
    QTimer::singleShot(
        0, QCoreApplication::instance(), [=] { SendeFensterNachricht(fenster, msg, wParam, lParam); });
}

void SendeAnAlleFenster(uint32_t msg, uintptr_t wParam, intptr_t lParam)
{
    std::vector<HWND> alle;
    for (const auto& [handle, fenster] : Fenster())
        alle.push_back(handle);
    // Each by its handle: a window removed by an earlier one gets nothing.
    for (const HWND handle : alle)
        SendeFensterNachricht(handle, msg, wParam, lParam);
}
