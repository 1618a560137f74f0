#include "platform/ShellNotify.h"

#include "platform/StatusNotifier.h"
#include "runtime/Codepage.h"
#include "runtime/Dialoge.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QScreen>
#include <QSystemTrayIcon>
#include <algorithm>
#include <cstring>
#include <functional>

namespace {

std::unique_ptr<TShellNotifyDienst>& Dienst()
{
    // Never destroyed: a component in a static object may still remove its icon at exit.
    static auto* dienst = new std::unique_ptr<TShellNotifyDienst>;
    return *dienst;
}

// What the shell reports for each kind of activation Qt tells us about: a click is a
// press and a release, a double click replaces the second press.
std::vector<uint32_t> MausNachrichten(QSystemTrayIcon::ActivationReason grund)
{
    switch (grund) {
    case QSystemTrayIcon::Trigger:
        return { WM_LBUTTONDOWN, WM_LBUTTONUP };
    case QSystemTrayIcon::DoubleClick:
        return { WM_LBUTTONDBLCLK };
    case QSystemTrayIcon::Context:
        return { WM_RBUTTONDOWN, WM_RBUTTONUP };
    case QSystemTrayIcon::MiddleClick:
        return { WM_MBUTTONDOWN, WM_MBUTTONUP };
    default:
        return {};
    }
}

} // namespace

// Qt's X11 platform reports every change of the notification area's owner (a panel
// taking it, or its window going away) through a signal of its native interface,
// which only a string-based connection can reach.
class TInfobereichWaechter : public QObject {
    Q_OBJECT

public:
    explicit TInfobereichWaechter(std::function<void()> geaendert)
        : FGeaendert(std::move(geaendert))
    {
        // Its class is Qt's private one, derived from QObject alone, so the pointer is
        // the QObject's.
        auto* nativ = reinterpret_cast<QObject*>(QGuiApplication::platformNativeInterface());
        if (nativ && nativ->inherits("QPlatformNativeInterface")
            && nativ->metaObject()->indexOfSignal("systemTrayWindowChanged(QScreen*)") >= 0)
            connect(nativ, SIGNAL(systemTrayWindowChanged(QScreen*)), this, SLOT(Geaendert()));
    }

private slots:
    // From the event loop: Qt moves its own icons over to a new area in the same
    // signal, and the windows told of the change may add theirs.
    void Geaendert()
    {
        QMetaObject::invokeMethod(
            this, [this] { FGeaendert(); }, Qt::QueuedConnection);
    }

private:
    std::function<void()> FGeaendert;
};

namespace {

// Where the icons go: nowhere, into an XEmbed tray (Qt's QSystemTrayIcon), or onto the
// session bus as StatusNotifierItems, which the areas of today's desktops take.
enum class TWeg { Keiner, XEmbed, StatusNotifier };

class TDesktopShellNotify : public TShellNotifyDienst {
public:
    TDesktopShellNotify()
    {
        if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            // Without a desktop (the offscreen platform) no item goes onto the bus.
            const QString plattform = QGuiApplication::platformName();
            if (plattform != QLatin1String("offscreen") && plattform != QLatin1String("minimal"))
                beobachter = new TStatusNotifierBeobachter([this] { Abgleichen(); }, app);
            // Asking also makes the platform start watching the XEmbed area.
            QSystemTrayIcon::isSystemTrayAvailable();
            weg = Weg();
            waechter = std::make_unique<TInfobereichWaechter>([this] { Abgleichen(); });
        }
    }
    TDesktopShellNotify(const TDesktopShellNotify&) = delete;
    TDesktopShellNotify& operator=(const TDesktopShellNotify&) = delete;
    ~TDesktopShellNotify() override
    {
        waechter.reset();
        delete beobachter.data();
        // The icons' click handlers point at this object.
        EntferneAlle();
    }

    bool NotifyIcon(uint32_t nachricht, const NOTIFYICONDATA& daten) override
    {
        const std::pair<HWND, uint32_t> schluessel { daten.hWnd, daten.uID };
        auto it = symbole.find(schluessel);
        if (it != symbole.end() && !it->second.Sni && it->second.Icon.isNull()) {
            // The tray icon went with the application object.
            symbole.erase(it);
            it = symbole.end();
        }
        switch (nachricht) {
        case NIM_ADD: {
            if (it != symbole.end())
                return false;
            weg = Weg();
            if (weg == TWeg::Keiner)
                return false;
            TSymbol& symbol = symbole[schluessel];
            Baue(schluessel, symbol);
            Uebernimm(symbol, daten);
            return true;
        }
        case NIM_MODIFY:
            if (it == symbole.end())
                return false;
            Uebernimm(it->second, daten);
            return true;
        case NIM_DELETE: {
            if (it == symbole.end())
                return false;
            TSymbol symbol = std::move(it->second);
            symbole.erase(it);
            Entferne(symbol);
            return true;
        }
        default:
            return false;
        }
    }

    bool Sprechblase(
        const NOTIFYICONDATA& daten, const QString& titel, const QString& text, int millisekunden) override
    {
        const auto it = symbole.find({ daten.hWnd, daten.uID });
        if (it == symbole.end())
            return false;
        if (it->second.Sni)
            return it->second.Sni->ZeigeNachricht(titel, text, millisekunden);
        if (it->second.Icon.isNull() || !QSystemTrayIcon::supportsMessages())
            return false;
        it->second.Icon->showMessage(titel, text, QSystemTrayIcon::Warning, millisekunden);
        return true;
    }

private:
    struct TSymbol {
        QPointer<QSystemTrayIcon> Icon;
        std::unique_ptr<TStatusNotifierItem> Sni;
        uint32_t Flags = 0;
        uint32_t Rueckruf = 0;
        QIcon Bild;
        QString Tip;
    };
    std::map<std::pair<HWND, uint32_t>, TSymbol> symbole;
    TWeg weg = TWeg::Keiner;
    std::unique_ptr<TInfobereichWaechter> waechter;
    QPointer<TStatusNotifierBeobachter> beobachter;

    TWeg Weg() const
    {
        if (beobachter && beobachter->HostDa())
            return TWeg::StatusNotifier;
        return QSystemTrayIcon::isSystemTrayAvailable() ? TWeg::XEmbed : TWeg::Keiner;
    }

    // The icon in the area of the moment, with the picture and tooltip it has.
    void Baue(const std::pair<HWND, uint32_t>& schluessel, TSymbol& symbol)
    {
        if (weg == TWeg::StatusNotifier) {
            symbol.Sni = std::make_unique<TStatusNotifierItem>(AnwendungsTitel());
            symbol.Sni->OnKlick
                = [this, schluessel](TSniKlick klick, int, int) { Geklickt(schluessel, klick); };
            symbol.Sni->SetzeBild(symbol.Bild);
            symbol.Sni->SetzeTip(symbol.Tip);
            return;
        }
        // Owned by the application object so it is gone before the static objects.
        auto* icon = new QSystemTrayIcon(QCoreApplication::instance());
        symbol.Icon = icon;
        icon->setIcon(symbol.Bild);
        icon->setToolTip(symbol.Tip);
        QObject::connect(icon, &QSystemTrayIcon::activated, icon,
            [this, schluessel](QSystemTrayIcon::ActivationReason grund) { Aktiviert(schluessel, grund); });
        icon->show();
    }

    void EntferneAlle()
    {
        for (auto& [schluessel, symbol] : symbole)
            Entferne(symbol);
        symbole.clear();
    }

    // A notification area came, went, or was replaced by one of the other kind.
    void Abgleichen()
    {
        const TWeg jetzt = Weg();
        if (jetzt == weg)
            return; // a new panel in place of the old one: Qt moves its icons over itself
        const TWeg vorher = weg;
        weg = jetzt;
        if (jetzt == TWeg::Keiner) {
            EntferneAlle();
            SendeAnAlleFenster(WM_TASKBARREMOVED);
        }
        else if (vorher == TWeg::Keiner) {
            SendeAnAlleFenster(WM_TASKBARCREATED);
        }
        else {
            for (auto& [schluessel, symbol] : symbole) {
                Entferne(symbol);
                Baue(schluessel, symbol);
            }
        }
    }

    static void Entferne(TSymbol& symbol)
    {
        symbol.Sni.reset();
        if (QSystemTrayIcon* icon = symbol.Icon) {
            // Later, not now: the call may come from a handler of this very icon's click.
            icon->hide();
            icon->disconnect();
            icon->deleteLater();
        }
        symbol.Icon = nullptr;
    }

    static void Uebernimm(TSymbol& symbol, const NOTIFYICONDATA& daten)
    {
        symbol.Flags = daten.uFlags;
        if (daten.uFlags & NIF_MESSAGE)
            symbol.Rueckruf = daten.uCallbackMessage;
        if (daten.uFlags & NIF_ICON)
            symbol.Bild = IconZuHandle(daten.hIcon);
        // Without NIF_TIP the icon has no tooltip: an empty hint removes it.
        symbol.Tip = (daten.uFlags & NIF_TIP) ? TipText(daten) : QString();
        if (symbol.Sni) {
            if (daten.uFlags & NIF_ICON)
                symbol.Sni->SetzeBild(symbol.Bild);
            symbol.Sni->SetzeTip(symbol.Tip);
        }
        else if (symbol.Icon) {
            if (daten.uFlags & NIF_ICON)
                symbol.Icon->setIcon(symbol.Bild);
            symbol.Icon->setToolTip(symbol.Tip);
        }
    }

    void Melde(const std::pair<HWND, uint32_t>& schluessel, const std::vector<uint32_t>& nachrichten)
    {
        const auto it = symbole.find(schluessel);
        if (it == symbole.end() || !(it->second.Flags & NIF_MESSAGE))
            return;
        for (const uint32_t maus : nachrichten)
            StelleNachrichtZu(schluessel.first, it->second.Rueckruf, schluessel.second, intptr_t(maus));
    }

    void Aktiviert(const std::pair<HWND, uint32_t>& schluessel, QSystemTrayIcon::ActivationReason grund)
    {
        Melde(schluessel, MausNachrichten(grund));
    }

    void Geklickt(const std::pair<HWND, uint32_t>& schluessel, TSniKlick klick)
    {
        switch (klick) {
        case TSniKlick::Aktivieren:
            // The host knows no double click: its activation is the icon's main action,
            // which this program puts on the double click.
            Melde(schluessel, { WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP });
            break;
        case TSniKlick::Zweitaktion:
            Melde(schluessel, MausNachrichten(QSystemTrayIcon::MiddleClick));
            break;
        case TSniKlick::Kontextmenue:
            Melde(schluessel, MausNachrichten(QSystemTrayIcon::Context));
            break;
        }
    }
};

} // namespace

void SetzeTip(NOTIFYICONDATA& daten, const QString& text)
{
    const std::string bytes = NachWindows1252(text);
    const size_t anzahl = std::min(bytes.size(), size_t(MaxTipLaenge));
    std::memset(daten.szTip, 0, sizeof daten.szTip);
    std::memcpy(daten.szTip, bytes.data(), anzahl);
}

QString TipText(const NOTIFYICONDATA& daten)
{
    const void* ende = std::memchr(daten.szTip, 0, sizeof daten.szTip);
    const size_t anzahl = ende ? size_t(static_cast<const char*>(ende) - daten.szTip) : sizeof daten.szTip;
    return AusWindows1252(daten.szTip, anzahl);
}

bool TShellNotifyDienst::Sprechblase(const NOTIFYICONDATA&, const QString&, const QString&, int)
{
    return false;
}

QPoint TShellNotifyDienst::Cursorposition() const
{
    return QCursor::pos();
}

Qt::KeyboardModifiers TShellNotifyDienst::Tastatur() const
{
    return QGuiApplication::queryKeyboardModifiers();
}

void InstalliereShellNotify(std::unique_ptr<TShellNotifyDienst> dienst)
{
    Dienst() = std::move(dienst);
}

TShellNotifyDienst& ShellNotify()
{
    if (!Dienst())
        Dienst() = DesktopShellNotify();
    return *Dienst();
}

std::unique_ptr<TShellNotifyDienst> DesktopShellNotify()
{
    return std::make_unique<TDesktopShellNotify>();
}

bool Shell_NotifyIconA(uint32_t dwMessage, const NOTIFYICONDATA* lpData)
{
    if (!lpData || lpData->cbSize != sizeof(NOTIFYICONDATA))
        return false;
    return ShellNotify().NotifyIcon(dwMessage, *lpData);
}

QPoint GetCursorPos()
{
    return ShellNotify().Cursorposition();
}

int16_t GetKeyState(int nVirtKey)
{
    Qt::KeyboardModifier taste;
    switch (nVirtKey) {
    case VK_SHIFT:
        taste = Qt::ShiftModifier;
        break;
    case VK_CONTROL:
        taste = Qt::ControlModifier;
        break;
    case VK_MENU:
        taste = Qt::AltModifier;
        break;
    default:
        return 0;
    }
    return ShellNotify().Tastatur().testFlag(taste) ? int16_t(0x8000) : int16_t(0);
}

#include "ShellNotify.moc"
