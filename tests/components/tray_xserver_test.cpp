// The tray icon on a real X server with a notification area (Xvfb and trayer). The
// test starts both on a free display and runs its second half in a child process of
// this same program on the xcb platform, since the other tests run offscreen.
#include "components/TrayIcon.h"
#include "platform/Anwendung.h"
#include "platform/ShellNotify.h"
#include "support/Testumgebung.h"
#include "support/Warten.h"
#include "support/XServer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTest>
#include <cstdio>
#include <gtest/gtest.h>
#include <optional>

namespace {

const char* const KindVariable = "KOSTENWOLF_TRAY_KIND";

QList<QSystemTrayIcon*> TrayIcons()
{
    return QCoreApplication::instance()->findChildren<QSystemTrayIcon*>();
}

// The icon's own X window, which the notification area takes in as a child.
QWidget* IconFenster()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (QByteArray(w->metaObject()->className()) == "QSystemTrayIconSys")
            return w;
    return nullptr;
}

// Whether the X window hangs below the root window itself, i.e. was never embedded.
std::optional<bool> AmWurzelfenster(WId fenster)
{
    QProcess xwininfo;
    xwininfo.start("xwininfo", { "-id", QString::number(fenster), "-tree" });
    if (!xwininfo.waitForFinished(5000) || xwininfo.exitCode() != 0)
        return std::nullopt;
    const QString text = QString::fromLocal8Bit(xwininfo.readAllStandardOutput());
    const QRegularExpression wurzel("Root window id: (0x[0-9a-f]+)");
    const QRegularExpression eltern("Parent window id: (0x[0-9a-f]+)");
    const auto w = wurzel.match(text);
    const auto e = eltern.match(text);
    if (!w.hasMatch() || !e.hasMatch())
        return std::nullopt;
    return w.captured(1) == e.captured(1);
}

// The X server with trayer, a notification area of the XEmbed kind.
struct TXServerMitTrayer : TXServer {
    QString Trayer;

    // Empty when it runs; otherwise why the test is skipped.
    QString Starte()
    {
        Trayer = QStandardPaths::findExecutable("trayer");
        if (Trayer.isEmpty())
            return "trayer is needed for this test (Debian package trayer)";
        return TXServer::Starte();
    }

    void StarteTrayer(TGestartet& bereich) const
    {
        bereich.Prozess.setProcessEnvironment(Umgebung);
        bereich.Prozess.start(Trayer, { "--edge", "bottom", "--align", "right", "--widthtype", "request" });
    }

    // Runs one test of this program as a child on the X server.
    void StarteKind(QProcess& kind, const QString& test) const
    {
        QProcessEnvironment umgebung = Umgebung;
        umgebung.insert(KindVariable, "1");
        kind.setProcessEnvironment(umgebung);
        kind.setProcessChannelMode(QProcess::MergedChannels);
        kind.start(QCoreApplication::applicationFilePath(), { "--gtest_filter=TrayImXServer." + test });
    }
};

// Reads the child's output until the line it prints at a step of its test.
bool WarteAufSchritt(QProcess& kind, QByteArray& ausgabe, const QByteArray& schritt)
{
    QElapsedTimer uhr;
    uhr.start();
    while (!ausgabe.contains(schritt + '\n')) {
        if (uhr.elapsed() > 30000 || kind.state() == QProcess::NotRunning)
            return false;
        kind.waitForReadyRead(200);
        ausgabe += kind.readAll();
    }
    return true;
}

void Schritt(const char* name)
{
    std::printf("%s\n", name);
    std::fflush(stdout);
}

void PruefeKind(QProcess& kind, QByteArray ausgabe)
{
    const bool fertig = kind.waitForFinished(60000);
    ausgabe += kind.readAll();
    ASSERT_TRUE(fertig) << ausgabe.toStdString();
    EXPECT_EQ(kind.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(kind.exitCode(), 0) << ausgabe.toStdString();
    EXPECT_TRUE(ausgabe.contains("[  PASSED  ] 1 test")) << ausgabe.toStdString();
}

// Until the notification area has taken the icon's window in.
bool Eingebettet(QSystemTrayIcon* icon)
{
    if (!WarteBis([&] { return icon->geometry().isValid() && !icon->geometry().isEmpty(); },
            std::chrono::milliseconds(10000)))
        return false;
    if (QStandardPaths::findExecutable("xwininfo").isEmpty()) {
        std::printf("xwininfo missing: the icon's embedding is not checked\n");
        return true;
    }
    QWidget* fenster = IconFenster();
    return fenster
        && WarteBis(
            [&] { return AmWurzelfenster(fenster->winId()) == false; }, std::chrono::milliseconds(10000));
}

TEST(TrayImXServer, IconAppearsAndTooltipFollowsHint)
{
    if (qEnvironmentVariableIsSet(KindVariable))
        GTEST_SKIP() << "runs in the parent process only";
    TXServerMitTrayer x;
    if (const QString grund = x.Starte(); !grund.isEmpty())
        GTEST_SKIP() << grund.toStdString();
    TGestartet bereich;
    x.StarteTrayer(bereich);
    ASSERT_TRUE(bereich.Prozess.waitForStarted(5000));

    QProcess kind;
    x.StarteKind(kind, "Kind");
    ASSERT_TRUE(kind.waitForStarted(5000));
    PruefeKind(kind, {});
}

// The panel comes up after the program (as with the session's autostart) and is
// restarted while it runs: the icon joins it each time, with the hint of the moment.
TEST(TrayImXServer, IconJoinsALatePanelAndItsRestart)
{
    if (qEnvironmentVariableIsSet(KindVariable))
        GTEST_SKIP() << "runs in the parent process only";
    TXServerMitTrayer x;
    if (const QString grund = x.Starte(); !grund.isEmpty())
        GTEST_SKIP() << grund.toStdString();

    QProcess kind;
    x.StarteKind(kind, "KindOhneBereich");
    ASSERT_TRUE(kind.waitForStarted(5000));
    QByteArray ausgabe;
    {
        ASSERT_TRUE(WarteAufSchritt(kind, ausgabe, "OHNE_BEREICH")) << ausgabe.toStdString();
        TGestartet bereich;
        x.StarteTrayer(bereich);
        ASSERT_TRUE(bereich.Prozess.waitForStarted(5000));
        ASSERT_TRUE(WarteAufSchritt(kind, ausgabe, "ANGEZEIGT")) << ausgabe.toStdString();
    } // the panel ends
    ASSERT_TRUE(WarteAufSchritt(kind, ausgabe, "WEG")) << ausgabe.toStdString();
    TGestartet neu;
    x.StarteTrayer(neu);
    ASSERT_TRUE(neu.Prozess.waitForStarted(5000));
    PruefeKind(kind, ausgabe);
}

TEST(TrayImXServer, Kind)
{
    if (!qEnvironmentVariableIsSet(KindVariable))
        GTEST_SKIP() << "the X server half, started by IconAppearsAndTooltipFollowsHint";
    // trayer takes the notification area's selection a moment after it starts.
    ASSERT_TRUE(
        WarteBis([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, std::chrono::milliseconds(15000)))
        << "no notification area on " << qgetenv("DISPLAY").constData();

    TTestumgebung welt;
    InstalliereShellNotify(nullptr);
    QPixmap bild(16, 16);
    bild.fill(Qt::yellow);
    Application().Icon = QIcon(bild);
    {
        TTrayIcon tray(nullptr);
        ASSERT_TRUE(tray.IconAngezeigt());
        ASSERT_EQ(TrayIcons().size(), 1);
        QSystemTrayIcon* icon = TrayIcons().first();
        EXPECT_TRUE(icon->isVisible());
        EXPECT_TRUE(Eingebettet(icon)) << "the notification area did not take the icon in";
        EXPECT_EQ(icon->toolTip(), "Kostenwolf");

        tray.SetHint("Kostenwolf - 0,00DM");
        EXPECT_EQ(icon->toolTip(), "Kostenwolf - 0,00DM");
        tray.SetHint("00:01:05 - 0,13 DM");
        EXPECT_EQ(icon->toolTip(), "00:01:05 - 0,13 DM");
        tray.SetHint(QString(64, 'x'));
        EXPECT_EQ(icon->toolTip(), QString(63, 'x'));
        tray.SetHint("");
        EXPECT_EQ(icon->toolTip(), "");

        // Qt's activations arrive as the shell's mouse messages, from the event loop.
        QStringList ereignisse;
        tray.OnDblClick = [&](QObject*) { ereignisse << "DblClick"; };
        emit icon->activated(QSystemTrayIcon::Trigger);
        emit icon->activated(QSystemTrayIcon::MiddleClick);
        emit icon->activated(QSystemTrayIcon::DoubleClick);
        EXPECT_TRUE(ereignisse.isEmpty());
        // In order: by the double click the single ones have been handled.
        EXPECT_TRUE(WarteBis([&] { return !ereignisse.isEmpty(); }, std::chrono::milliseconds(5000)));
        EXPECT_EQ(ereignisse, QStringList({ "DblClick" }));
    }
    // Gone from the area with the component.
    EXPECT_TRUE(WarteBis([] { return TrayIcons().isEmpty(); }, std::chrono::milliseconds(5000)));
    Application().Icon = QIcon();
}

TEST(TrayImXServer, KindOhneBereich)
{
    if (!qEnvironmentVariableIsSet(KindVariable))
        GTEST_SKIP() << "the X server half, started by IconJoinsALatePanelAndItsRestart";
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());

    TTestumgebung welt;
    InstalliereShellNotify(nullptr);
    QPixmap bild(16, 16);
    bild.fill(Qt::yellow);
    Application().Icon = QIcon(bild);
    {
        TTrayIcon tray(nullptr);
        EXPECT_FALSE(tray.IconAngezeigt());
        tray.SetHint("00:01:05 - 0,13 DM");
        Schritt("OHNE_BEREICH");

        ASSERT_TRUE(WarteBis([&] { return tray.IconAngezeigt(); }, std::chrono::milliseconds(20000)))
            << "no icon for the late panel";
        ASSERT_EQ(TrayIcons().size(), 1);
        EXPECT_EQ(TrayIcons().first()->toolTip(), "00:01:05 - 0,13 DM");
        EXPECT_TRUE(Eingebettet(TrayIcons().first()));
        Schritt("ANGEZEIGT");

        ASSERT_TRUE(WarteBis([&] { return !tray.IconAngezeigt(); }, std::chrono::milliseconds(20000)))
            << "the panel's end went unnoticed";
        tray.SetHint("00:02:00 - 0,24 DM");
        Schritt("WEG");

        ASSERT_TRUE(WarteBis([&] { return tray.IconAngezeigt(); }, std::chrono::milliseconds(20000)))
            << "no icon for the restarted panel";
        EXPECT_TRUE(WarteBis([] { return TrayIcons().size() == 1; }, std::chrono::milliseconds(5000)));
        ASSERT_FALSE(TrayIcons().isEmpty());
        EXPECT_EQ(TrayIcons().first()->toolTip(), "00:02:00 - 0,24 DM");
        EXPECT_TRUE(Eingebettet(TrayIcons().first()));
    }
    EXPECT_TRUE(WarteBis([] { return TrayIcons().isEmpty(); }, std::chrono::milliseconds(5000)));
    Application().Icon = QIcon();
}

} // namespace
