#include "support/ShellNotifyAufzeichnung.h"

bool TShellNotifyAufzeichnung::NotifyIcon(uint32_t nachricht, const NOTIFYICONDATA& daten)
{
    Aufrufe.push_back({ nachricht, daten });
    const std::pair<HWND, uint32_t> schluessel { daten.hWnd, daten.uID };
    const bool da = Symbole.count(schluessel) != 0;
    switch (nachricht) {
    case NIM_ADD:
        if (da || !Infobereich)
            return false;
        Symbole[schluessel] = daten;
        zuletzt = schluessel;
        return true;
    case NIM_MODIFY:
        if (!da)
            return false;
        Symbole[schluessel] = daten;
        return true;
    case NIM_DELETE:
        return Symbole.erase(schluessel) != 0;
    default:
        return false;
    }
}

bool TShellNotifyAufzeichnung::Sprechblase(
    const NOTIFYICONDATA& daten, const QString& titel, const QString& text, int millisekunden)
{
    if (!Symbole.count({ daten.hWnd, daten.uID }))
        return false;
    Sprechblasen.push_back({ titel, text, millisekunden });
    return true;
}

bool TShellNotifyAufzeichnung::Maus(uint32_t mausNachricht)
{
    const auto it = Symbole.find(zuletzt);
    if (it == Symbole.end())
        return false;
    SendeFensterNachricht(
        it->first.first, it->second.uCallbackMessage, it->first.second, intptr_t(mausNachricht));
    return true;
}

void TShellNotifyAufzeichnung::InfobereichKommt()
{
    Infobereich = true;
    Symbole.clear();
    SendeAnAlleFenster(WM_TASKBARCREATED);
}

void TShellNotifyAufzeichnung::InfobereichGeht()
{
    Infobereich = false;
    Symbole.clear();
    SendeAnAlleFenster(WM_TASKBARREMOVED);
}

std::vector<TShellNotifyAufruf> TShellNotifyAufzeichnung::AufrufeMit(uint32_t nachricht) const
{
    std::vector<TShellNotifyAufruf> gefunden;
    for (const TShellNotifyAufruf& aufruf : Aufrufe)
        if (aufruf.Nachricht == nachricht)
            gefunden.push_back(aufruf);
    return gefunden;
}

TShellNotifyAufzeichnung& ZeichneShellNotifyAuf()
{
    auto aufzeichnung = std::make_unique<TShellNotifyAufzeichnung>();
    TShellNotifyAufzeichnung& ergebnis = *aufzeichnung;
    InstalliereShellNotify(std::move(aufzeichnung));
    return ergebnis;
}
