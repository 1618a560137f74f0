#include "components/TrayIcon.h"
#include "platform/Anwendung.h"
#include "platform/ShellNotify.h"
#include "support/ShellNotifyAufzeichnung.h"
#include "support/Testumgebung.h"

#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {

QIcon Farbe(Qt::GlobalColor farbe)
{
    QPixmap bild(16, 16);
    bild.fill(farbe);
    return QIcon(bild);
}

class TrayIconTest : public ::testing::Test {
protected:
    TTestumgebung umgebung;
    TShellNotifyAufzeichnung& shell = ZeichneShellNotifyAuf();
    std::unique_ptr<QWidget> fenster = std::make_unique<QWidget>();
    QStringList ereignisse;

    TrayIconTest()
    {
        Application().OnMinimize = nullptr;
        Application().OnRestore = nullptr;
        Application().MainForm = fenster.get();
        Application().Icon = Farbe(Qt::yellow);
    }
    ~TrayIconTest() override
    {
        Application().OnMinimize = nullptr;
        Application().OnRestore = nullptr;
        Application().MainForm = nullptr;
        Application().Icon = QIcon();
        InstalliereShellNotify(nullptr);
    }

    // The window the icon reports to, as the notification area knows it.
    HWND FensterDesSymbols() const { return shell.AufrufeMit(NIM_ADD).front().Daten.hWnd; }

    void Beobachte(TTrayIcon& tray)
    {
        tray.OnDblClick = [this](QObject*) { ereignisse << "DblClick"; };
    }

    void Maus(std::initializer_list<uint32_t> nachrichten)
    {
        for (const uint32_t n : nachrichten)
            ASSERT_TRUE(shell.Maus(n));
    }
};

TEST_F(TrayIconTest, ConstructionAddsIconWithApplicationTitleAndIcon)
{
    TTrayIcon tray(nullptr);

    ASSERT_EQ(shell.Aufrufe.size(), 1u);
    const TShellNotifyAufruf& add = shell.Aufrufe[0];
    EXPECT_EQ(add.Nachricht, NIM_ADD);
    EXPECT_EQ(add.Daten.cbSize, 88u);
    EXPECT_EQ(add.Daten.uFlags, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    EXPECT_EQ(add.Daten.uCallbackMessage, 0x401u);
    EXPECT_EQ(add.Daten.uID, 0u);
    EXPECT_EQ(add.Tip(), "Kostenwolf");
    EXPECT_TRUE(IsWindow(add.Daten.hWnd));
    EXPECT_EQ(IconZuHandle(add.Daten.hIcon).cacheKey(), Application().Icon.cacheKey());
    EXPECT_TRUE(tray.IconAngezeigt());
    EXPECT_TRUE(tray.Hint().isEmpty());
}

TEST_F(TrayIconTest, EmptyOrLongApplicationTitle)
{
    SetzeAnwendungsTitel("");
    {
        TTrayIcon tray(nullptr);
        EXPECT_EQ(shell.Aufrufe.back().Daten.uFlags, NIF_MESSAGE | NIF_ICON);
        EXPECT_EQ(shell.Aufrufe.back().Tip(), "");
    }
    SetzeAnwendungsTitel(QString(70, 'T'));
    TTrayIcon tray(nullptr);
    EXPECT_EQ(shell.Aufrufe.back().Tip(), QString(63, 'T'));
}

TEST_F(TrayIconTest, HintReachesTheShellOnlyWhenItChanges)
{
    TTrayIcon tray(nullptr);
    tray.SetHint(""); // equals the initial hint
    EXPECT_EQ(shell.Aufrufe.size(), 1u);

    tray.SetHint("Kostenwolf - 0,00DM");
    ASSERT_EQ(shell.Aufrufe.size(), 2u);
    EXPECT_EQ(shell.Aufrufe[1].Nachricht, NIM_MODIFY);
    EXPECT_EQ(shell.Aufrufe[1].Tip(), "Kostenwolf - 0,00DM");
    EXPECT_EQ(shell.Aufrufe[1].Daten.uFlags, NIF_MESSAGE | NIF_ICON | NIF_TIP);

    tray.SetHint("Kostenwolf - 0,00DM");
    EXPECT_EQ(shell.Aufrufe.size(), 2u);

    tray.SetHint("");
    ASSERT_EQ(shell.Aufrufe.size(), 3u);
    EXPECT_EQ(shell.Aufrufe[2].Nachricht, NIM_MODIFY);
    EXPECT_EQ(shell.Aufrufe[2].Daten.uFlags, NIF_MESSAGE | NIF_ICON);
    EXPECT_EQ(shell.Aufrufe[2].Tip(), "");
    EXPECT_TRUE(tray.Hint().isEmpty());
}

TEST_F(TrayIconTest, LongHintIsCutForTheShellOnly)
{
    TTrayIcon tray(nullptr);
    const QString lang = QString("00:12:34 - ") + QString(53, QChar(0x00E4)); // 64 characters with ä
    ASSERT_EQ(lang.size(), 64);
    tray.SetHint(lang);
    EXPECT_EQ(tray.Hint(), lang);
    EXPECT_EQ(shell.Aufrufe.back().Tip(), lang.left(63));
    EXPECT_EQ(shell.Aufrufe.back().Daten.szTip[63], '\0');

    // A shorter hint after a long one leaves nothing of the old text behind.
    tray.SetHint("kurz");
    EXPECT_EQ(shell.Aufrufe.back().Tip(), "kurz");
}

TEST_F(TrayIconTest, TipTextOfAFieldWithoutClosingZero)
{
    NOTIFYICONDATA daten {};
    std::memset(daten.szTip, 'x', sizeof daten.szTip);
    EXPECT_EQ(TipText(daten), QString(64, 'x'));
}

TEST_F(TrayIconTest, IconKeepsThePictureAssigned)
{
    TTrayIcon tray(nullptr);
    tray.SetIcon(Farbe(Qt::red));
    ASSERT_EQ(shell.Aufrufe.size(), 2u);
    EXPECT_EQ(shell.Aufrufe[1].Nachricht, NIM_MODIFY);
    // The icon's own share keeps the picture alive after the given one is gone.
    const HICON rot = shell.Aufrufe[1].Daten.hIcon;
    EXPECT_FALSE(IconZuHandle(rot).isNull());

    tray.SetIcon(Farbe(Qt::green));
    ASSERT_EQ(shell.Aufrufe.size(), 3u);
    EXPECT_FALSE(IconZuHandle(shell.Aufrufe[2].Daten.hIcon).isNull());
    EXPECT_TRUE(IconZuHandle(rot).isNull());
}

TEST_F(TrayIconTest, ADoubleClickOfAnyButtonOpensAndOtherMessagesDoNothing)
{
    TTrayIcon tray(nullptr);
    Beobachte(tray);
    Maus({ WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP });
    Maus({ WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, 0x020A /* wheel */, WM_USER });
    EXPECT_EQ(ereignisse, QStringList({ "DblClick", "DblClick", "DblClick" }));

    // Only the callback message is a mouse notification.
    ereignisse.clear();
    SendeFensterNachricht(FensterDesSymbols(), 0x402, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(ereignisse.isEmpty());
    EXPECT_EQ(SendeFensterNachricht(FensterDesSymbols(), WM_QUERYENDSESSION), 1);
    EXPECT_EQ(SendeFensterNachricht(FensterDesSymbols(), WM_ENDSESSION, 0), 0);
    EXPECT_TRUE(tray.IconAngezeigt()); // the session goes on: the icon stays
}

TEST_F(TrayIconTest, RightClickShowsMenuOnlyWhileMainWindowHidden)
{
    TTrayIcon tray(nullptr);
    Beobachte(tray);
    QMenu menu;
    menu.addAction("Öffnen");
    tray.PopupMenu = &menu;
    shell.Cursor = QPoint(40, 50);

    fenster->show();
    Maus({ WM_RBUTTONDOWN, WM_RBUTTONUP });
    EXPECT_FALSE(menu.isVisible());

    fenster->hide();
    Maus({ WM_RBUTTONDOWN });
    EXPECT_TRUE(menu.isVisible());
    menu.close();

    // Without a main window the program is all in the tray.
    Application().MainForm = nullptr;
    Maus({ WM_RBUTTONDOWN });
    EXPECT_TRUE(menu.isVisible());
    menu.close();
}

TEST_F(TrayIconTest, RightClickWithoutMenuOrAfterMenuDestroyed)
{
    TTrayIcon tray(nullptr);
    Maus({ WM_RBUTTONDOWN, WM_RBUTTONUP });
    {
        QMenu menu;
        tray.PopupMenu = &menu;
    }
    EXPECT_EQ(tray.PopupMenu, nullptr);
    Maus({ WM_RBUTTONDOWN, WM_RBUTTONUP });
}

TEST_F(TrayIconTest, MinimizeHidesWindowAndRestoreShowsIt)
{
    TTrayIcon tray(nullptr);
    fenster->show();

    // No OnMinimize: the window still goes.
    Application().Minimize();
    EXPECT_FALSE(fenster->isVisible());

    Application().Restore();
    EXPECT_TRUE(fenster->isVisible());
    EXPECT_FALSE(fenster->isMinimized());

    // The user's minimize reaches the application from the event loop.
    fenster->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(fenster->isVisible());

    Application().Restore();
    EXPECT_TRUE(fenster->isVisible());
    EXPECT_FALSE(fenster->isMinimized());
}

TEST_F(TrayIconTest, WithoutNotificationAreaTheComponentIsInert)
{
    shell.Infobereich = false;
    auto tray = std::make_unique<TTrayIcon>(nullptr);
    EXPECT_FALSE(tray->IconAngezeigt());
    EXPECT_EQ(shell.Aufrufe.size(), 1u); // the failed NIM_ADD

    tray->SetHint("Kostenwolf - 0,00DM");
    tray->SetIcon(Farbe(Qt::red));
    EXPECT_EQ(tray->Hint(), "Kostenwolf - 0,00DM");

    // Minimizing keeps the program on the taskbar.
    fenster->show();
    Application().Minimize();
    EXPECT_TRUE(fenster->isVisible());
    EXPECT_TRUE(fenster->isMinimized());

    // Started minimized: the window is shown minimized rather than not at all.
    fenster->hide();
    Application().Minimize();
    EXPECT_TRUE(fenster->isVisible());

    tray.reset();
    EXPECT_EQ(shell.Aufrufe.size(), 1u);
}

TEST_F(TrayIconTest, IconJoinsAnAreaThatComesLaterAndLeavesWithIt)
{
    shell.Infobereich = false;
    TTrayIcon tray(nullptr);
    tray.SetHint("00:01:05 - 0,13 DM");
    fenster->show();
    Application().Minimize();
    ASSERT_TRUE(fenster->isMinimized());

    // Added with the hint of the moment; the window waiting on the taskbar moves in.
    shell.InfobereichKommt();
    EXPECT_TRUE(tray.IconAngezeigt());
    ASSERT_EQ(shell.AufrufeMit(NIM_ADD).size(), 2u);
    EXPECT_EQ(shell.AufrufeMit(NIM_ADD).back().Tip(), "00:01:05 - 0,13 DM");
    EXPECT_TRUE(shell.AufrufeMit(NIM_ADD).back().Daten.uFlags & NIF_TIP);
    EXPECT_FALSE(fenster->isVisible());

    // Gone with the panel: the hidden window comes back onto the taskbar, and hints
    // wait for the next area.
    shell.InfobereichGeht();
    EXPECT_FALSE(tray.IconAngezeigt());
    EXPECT_TRUE(fenster->isVisible());
    EXPECT_TRUE(fenster->isMinimized());
    const size_t vorher = shell.Aufrufe.size();
    tray.SetHint("00:02:00 - 0,24 DM");
    EXPECT_EQ(shell.Aufrufe.size(), vorher);

    // A window the user has open stays open when the panel restarts.
    Application().Restore();
    shell.InfobereichKommt();
    EXPECT_TRUE(tray.IconAngezeigt());
    EXPECT_EQ(shell.AufrufeMit(NIM_ADD).back().Tip(), "00:02:00 - 0,24 DM");
    EXPECT_TRUE(fenster->isVisible());
    EXPECT_FALSE(fenster->isMinimized());
    shell.InfobereichKommt(); // told twice: still one icon
    EXPECT_EQ(shell.Symbole.size(), 1u);
}

TEST_F(TrayIconTest, DestructionRemovesIconHooksAndCallbacks)
{
    auto tray = std::make_unique<TTrayIcon>(nullptr);
    Beobachte(*tray);
    const HWND fensterHandle = FensterDesSymbols();
    StelleNachrichtZu(fensterHandle, 0x401, 0, WM_LBUTTONDBLCLK); // still on its way

    tray.reset();
    ASSERT_EQ(shell.Aufrufe.size(), 2u);
    EXPECT_EQ(shell.Aufrufe[1].Nachricht, NIM_DELETE);
    EXPECT_EQ(shell.Aufrufe[1].Daten.hWnd, fensterHandle);
    EXPECT_FALSE(Application().OnMinimize);
    EXPECT_FALSE(Application().OnRestore);
    EXPECT_FALSE(IsWindow(fensterHandle));

    QApplication::processEvents();
    EXPECT_EQ(SendeFensterNachricht(fensterHandle, 0x401, 0, WM_LBUTTONDBLCLK), 0);
    EXPECT_FALSE(shell.Maus(WM_LBUTTONDBLCLK));
    EXPECT_TRUE(ereignisse.isEmpty());

    // Minimize and restore work on without it.
    fenster->show();
    Application().Minimize();
    EXPECT_TRUE(fenster->isMinimized());
    Application().Restore();
    EXPECT_FALSE(fenster->isMinimized());
}

TEST_F(TrayIconTest, HandlerThatDestroysTheComponentEndsTheDispatch)
{
    auto* tray = new TTrayIcon(nullptr);
    tray->OnDblClick = [&](QObject* sender) {
        ereignisse << "DblClick";
        delete sender;
    };
    ASSERT_TRUE(shell.Maus(WM_LBUTTONDBLCLK));
    EXPECT_EQ(ereignisse, QStringList({ "DblClick" }));
    EXPECT_FALSE(shell.Maus(WM_LBUTTONDBLCLK));
}

TEST_F(TrayIconTest, DestructionLeavesHooksThatOthersInstalled)
{
    auto tray = std::make_unique<TTrayIcon>(nullptr);
    int appMinimize = 0;
    Application().OnMinimize = [&](QObject*) { ++appMinimize; };
    // A second icon takes the restore hook; the first one's going must not take it away.
    auto zweites = std::make_unique<TTrayIcon>(nullptr);
    Application().OnMinimize = [&](QObject*) { ++appMinimize; };

    tray.reset();
    Application().Minimize();
    EXPECT_EQ(appMinimize, 1);
    ASSERT_TRUE(Application().OnRestore);
    fenster->hide();
    Application().Restore();
    EXPECT_TRUE(fenster->isVisible());
}

TEST_F(TrayIconTest, OwnerDestroysTheComponent)
{
    auto besitzer = std::make_unique<QObject>();
    auto* tray = new TTrayIcon(besitzer.get());
    EXPECT_EQ(tray->parent(), besitzer.get());
    besitzer.reset();
    EXPECT_EQ(shell.AufrufeMit(NIM_DELETE).size(), 1u);
    EXPECT_FALSE(Application().OnMinimize);
}

TEST_F(TrayIconTest, SessionEndRemovesTheIconOnce)
{
    auto tray = std::make_unique<TTrayIcon>(nullptr);
    Application().Sitzungsende();
    EXPECT_FALSE(tray->IconAngezeigt());
    EXPECT_EQ(shell.AufrufeMit(NIM_DELETE).size(), 1u);
    EXPECT_TRUE(shell.Symbole.empty());

    tray->SetHint("Kostenwolf - 0,13DM");
    tray.reset();
    EXPECT_EQ(shell.Aufrufe.size(), 2u);
}

TEST_F(TrayIconTest, DesktopWithoutNotificationAreaRefusesTheIcon)
{
    InstalliereShellNotify(nullptr);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        GTEST_SKIP() << "this desktop has a notification area";
    TTrayIcon tray(nullptr);
    EXPECT_FALSE(tray.IconAngezeigt());
}

} // namespace
