// The notification area, recorded instead of shown.
#pragma once

#include "platform/ShellNotify.h"

#include <QPoint>
#include <map>
#include <utility>
#include <vector>

// A notification area that records every call. It holds its icons like the shell
// does: NIM_ADD fails for an icon already there (or when Infobereich is false),
// NIM_MODIFY and NIM_DELETE fail for one that is not.
struct TShellNotifyAufruf {
    uint32_t Nachricht;
    NOTIFYICONDATA Daten;
    QString Tip() const { return TipText(Daten); }
};

struct TSprechblase {
    QString Titel;
    QString Text;
    int Millisekunden;
};

class TShellNotifyAufzeichnung : public TShellNotifyDienst {
public:
    std::vector<TShellNotifyAufruf> Aufrufe;
    std::vector<TSprechblase> Sprechblasen;
    // Whether the simulated desktop has a notification area at all.
    bool Infobereich = true;
    QPoint Cursor;
    Qt::KeyboardModifiers Tasten;
    // Icons now shown, by (hWnd, uID).
    std::map<std::pair<HWND, uint32_t>, NOTIFYICONDATA> Symbole;

    bool NotifyIcon(uint32_t nachricht, const NOTIFYICONDATA& daten) override;
    bool Sprechblase(
        const NOTIFYICONDATA& daten, const QString& titel, const QString& text, int millisekunden) override;
    QPoint Cursorposition() const override { return Cursor; }
    Qt::KeyboardModifiers Tastatur() const override { return Tasten; }

    // The user acts on the icon added last: its callback message with the mouse
    // message, delivered at once. Returns false when no icon is shown.
    bool Maus(uint32_t mausNachricht);
    // A panel with a notification area starts, or ends: the icons are forgotten and
    // every window is told, as the desktop does.
    void InfobereichKommt();
    void InfobereichGeht();
    // The calls made with the given NIM_ code.
    std::vector<TShellNotifyAufruf> AufrufeMit(uint32_t nachricht) const;

private:
    std::pair<HWND, uint32_t> zuletzt { 0, 0 };
};

// Installs a fresh recording service and returns it (owned by the shell layer).
TShellNotifyAufzeichnung& ZeichneShellNotifyAuf();
