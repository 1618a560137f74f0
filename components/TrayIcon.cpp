#include "components/TrayIcon.h"

#include "platform/Anwendung.h"
#include "runtime/Dialoge.h"

// The application's hooks point here through this type, so that the destructor can
// tell its own hooks from ones that others installed since.
struct TTrayHaken {
    TTrayIcon* Ziel;
    void (TTrayIcon::*Methode)(QObject*);
    void operator()(QObject* Sender) const { (Ziel->*Methode)(Sender); }
};

namespace {

constexpr uint32_t WM_TRAYICON = WM_USER + 1;

void LoeseHaken(TNotifyEvent& ereignis, const TTrayIcon* ziel)
{
    if (const auto* haken = ereignis.target<TTrayHaken>(); haken && haken->Ziel == ziel)
        ereignis = nullptr;
}

} // namespace

TTrayIcon::TTrayIcon(QObject* AOwner)
    : QObject(AOwner)
    , FIcon(std::make_unique<TIcon>(Application().Icon))
{
    FNotifyData.cbSize = sizeof FNotifyData;
    FNotifyData.hWnd = AllocateHWnd([this](TMessage& Message) { WndProc(Message); });
    FNotifyData.uID = 0;
    FNotifyData.hIcon = FIcon->Handle();
    const QString titel = AnwendungsTitel();
    SetzeTip(FNotifyData, titel);
    FNotifyData.uFlags = NIF_MESSAGE | NIF_ICON;
    if (!titel.isEmpty())
        FNotifyData.uFlags |= NIF_TIP;
    FNotifyData.uCallbackMessage = WM_TRAYICON;
    FAngezeigt = Shell_NotifyIconA(NIM_ADD, &FNotifyData);
    Application().OnMinimize = TTrayHaken { this, &TTrayIcon::ApplicationMinimize };
    Application().OnRestore = TTrayHaken { this, &TTrayIcon::ApplicationRestore };
}

TTrayIcon::~TTrayIcon()
{
    LoeseHaken(Application().OnMinimize, this);
    LoeseHaken(Application().OnRestore, this);
    DeallocateHWnd(FNotifyData.hWnd);
    if (FAngezeigt)
        Shell_NotifyIconA(NIM_DELETE, &FNotifyData);
}

void TTrayIcon::SetHint(const QString& Value)
{
    if (Value == FHint)
        return;
    FHint = Value;
    SetzeTip(FNotifyData, Value);
    if (Value.isEmpty())
        FNotifyData.uFlags &= ~NIF_TIP;
    else
        FNotifyData.uFlags |= NIF_TIP;
    ModifyIcon();
}

bool TTrayIcon::ZeigeWarnung(const QString& text)
{
    return FAngezeigt && ShellNotify().Sprechblase(FNotifyData, AnwendungsTitel(), text, 10'000);
}

void TTrayIcon::SetIcon(const QIcon& bild)
{
    const TIcon neu(bild);
    FIcon->Assign(neu);
    FNotifyData.hIcon = neu.Handle();
    ModifyIcon();
}

void TTrayIcon::Melde(uint32_t nachricht)
{
    // Without an icon there is nothing in the shell to change.
    if (FAngezeigt)
        Shell_NotifyIconA(nachricht, &FNotifyData);
}

void TTrayIcon::ModifyIcon()
{
    Melde(NIM_MODIFY);
}

void TTrayIcon::DeleteIcon()
{
    Melde(NIM_DELETE);
    FAngezeigt = false;
}

void TTrayIcon::PopupAtCursor()
{
    const QWidget* hauptfenster = Application().MainForm;
    if (PopupMenu && !(hauptfenster && hauptfenster->isVisible()))
        PopupMenu->popup(GetCursorPos());
}

void TTrayIcon::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TTrayIcon::WndProc(TMessage& Message)
{
    Message.Result = 0;
    switch (Message.Msg) {
    case WM_QUERYENDSESSION:
        Message.Result = 1;
        return;
    case WM_ENDSESSION:
        if (Message.WParam != 0)
            DeleteIcon();
        return;
    case WM_TASKBARCREATED:
        InfobereichDa();
        return;
    case WM_TASKBARREMOVED:
        InfobereichWeg();
        return;
    case WM_TRAYICON:
        break;
    default:
        return;
    }

    switch (uint32_t(Message.LParam)) {
    case WM_RBUTTONDOWN:
        PopupAtCursor();
        break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        DblClick();
        break;
    default:
        break;
    }
}

void TTrayIcon::InfobereichDa()
{
    // A new area knows no icons, even where the old one showed this one. The record
    // holds the current hint and icon. Should the area still have the icon, the add
    // fails and the icon stays.
    if (!Shell_NotifyIconA(NIM_ADD, &FNotifyData))
        return;
    FAngezeigt = true;
    // Minimized to the taskbar only for want of an icon: now it can go where a
    // minimize is meant to take it.
    const QWidget* hauptfenster = Application().MainForm;
    if (hauptfenster && hauptfenster->isVisible() && hauptfenster->isMinimized())
        Application().Minimize();
}

void TTrayIcon::InfobereichWeg()
{
    if (!FAngezeigt)
        return;
    FAngezeigt = false;
    // Hidden in the tray, the program could not be brought back until a panel returns.
    const QWidget* hauptfenster = Application().MainForm;
    if (hauptfenster && !hauptfenster->isVisible())
        Application().MinimiereAufTaskleiste();
}

void TTrayIcon::ApplicationMinimize(QObject*)
{
    DoMinimize();
}

void TTrayIcon::ApplicationRestore(QObject*)
{
    DoRestore();
}

void TTrayIcon::DoMinimize()
{
    QWidget* hauptfenster = Application().MainForm;
    if (FAngezeigt) {
        if (hauptfenster)
            hauptfenster->hide();
    }
    else {
        // Hidden without an icon, the program could not be brought back.
        Application().MinimiereAufTaskleiste();
    }
}

void TTrayIcon::DoRestore()
{
    if (QWidget* hauptfenster = Application().MainForm)
        hauptfenster->showNormal();
}
