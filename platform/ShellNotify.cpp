#include "platform/ShellNotify.h"

#include "runtime/Codepage.h"

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

class TDesktopShellNotify : public TShellNotifyDienst {
public:
    TDesktopShellNotify()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            // Asking also makes the platform start watching the area.
            vorhanden = QSystemTrayIcon::isSystemTrayAvailable();
            waechter = std::make_unique<TInfobereichWaechter>([this] { InfobereichGeaendert(); });
        }
    }
    TDesktopShellNotify(const TDesktopShellNotify&) = delete;
    TDesktopShellNotify& operator=(const TDesktopShellNotify&) = delete;
    ~TDesktopShellNotify() override
    {
        waechter.reset();
        // The icons' click handlers point at this object.
        EntferneAlle();
    }

    bool NotifyIcon(uint32_t nachricht, const NOTIFYICONDATA& daten) override
    {
        const std::pair<HWND, uint32_t> schluessel { daten.hWnd, daten.uID };
        auto it = symbole.find(schluessel);
        if (it != symbole.end() && it->second.Icon.isNull()) {
            // The tray icon went with the application object.
            symbole.erase(it);
            it = symbole.end();
        }
        switch (nachricht) {
        case NIM_ADD: {
            if (it != symbole.end() || !QSystemTrayIcon::isSystemTrayAvailable())
                return false;
            // Owned by the application object so it is gone before the static objects.
            auto* icon = new QSystemTrayIcon(QCoreApplication::instance());
            TSymbol& symbol = symbole[schluessel];
            symbol.Icon = icon;
            Uebernimm(symbol, daten);
            QObject::connect(icon, &QSystemTrayIcon::activated, icon,
                [this, schluessel](
                    QSystemTrayIcon::ActivationReason grund) { Aktiviert(schluessel, grund); });
            icon->show();
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
            QSystemTrayIcon* icon = it->second.Icon;
            symbole.erase(it);
            Entferne(icon);
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
        if (it == symbole.end() || it->second.Icon.isNull() || !QSystemTrayIcon::supportsMessages())
            return false;
        it->second.Icon->showMessage(titel, text, QSystemTrayIcon::Warning, millisekunden);
        return true;
    }

private:
    struct TSymbol {
        QPointer<QSystemTrayIcon> Icon;
        uint32_t Flags = 0;
        uint32_t Rueckruf = 0;
    };
    std::map<std::pair<HWND, uint32_t>, TSymbol> symbole;
    bool vorhanden = false;
    std::unique_ptr<TInfobereichWaechter> waechter;

    void EntferneAlle()
    {
        for (auto& [schluessel, symbol] : symbole)
            if (symbol.Icon)
                Entferne(symbol.Icon);
        symbole.clear();
    }

    void InfobereichGeaendert()
    {
        const bool jetzt = QSystemTrayIcon::isSystemTrayAvailable();
        if (jetzt == vorhanden)
            return; // a new panel in place of the old one: Qt moves the icons over itself
        vorhanden = jetzt;
        if (!jetzt) {
            EntferneAlle();
            SendeAnAlleFenster(WM_TASKBARREMOVED);
        }
        else {
            SendeAnAlleFenster(WM_TASKBARCREATED);
        }
    }

    static void Entferne(QSystemTrayIcon* icon)
    {
        // Later, not now: the call may come from a handler of this very icon's click.
        icon->hide();
        icon->disconnect();
        icon->deleteLater();
    }

    static void Uebernimm(TSymbol& symbol, const NOTIFYICONDATA& daten)
    {
        symbol.Flags = daten.uFlags;
        if (daten.uFlags & NIF_MESSAGE)
            symbol.Rueckruf = daten.uCallbackMessage;
        if (daten.uFlags & NIF_ICON)
            symbol.Icon->setIcon(IconZuHandle(daten.hIcon));
        // Without NIF_TIP the icon has no tooltip: an empty hint removes it.
        symbol.Icon->setToolTip((daten.uFlags & NIF_TIP) ? TipText(daten) : QString());
    }

    void Aktiviert(const std::pair<HWND, uint32_t>& schluessel, QSystemTrayIcon::ActivationReason grund)
    {
        const auto it = symbole.find(schluessel);
        if (it == symbole.end() || !(it->second.Flags & NIF_MESSAGE))
            return;
        for (const uint32_t maus : MausNachrichten(grund))
            StelleNachrichtZu(schluessel.first, it->second.Rueckruf, schluessel.second, intptr_t(maus));
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
