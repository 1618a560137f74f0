// The built program in the notification areas of today's panels, which take icons as
// StatusNotifierItems over the session bus: each panel from Debian that is installed
// runs under Xvfb with a session bus of the test's own, started after the program (as
// when the program starts first at login). The test then does on the bus what the panel
// does on a click, and looks at the program's windows on the X server.
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/Testumgebung.h"
#include "support/Warten.h"
#include "support/XServer.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

struct TPanel {
    const char* Name; // program and Debian package
    // Its settings with nothing but the notification area, below XDG_CONFIG_HOME.
    const char* Datei;
    const char* Inhalt;
    std::vector<const char*> Argumente;
};

const TPanel Xfce { "xfce4-panel", "xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml",
    R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=8;x=0;y=0"/>
      <property name="size" type="uint" value="26"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
)",
    { "--disable-wm-check" } };

const TPanel Lxqt { "lxqt-panel", "lxqt/panel.conf", R"([General]
__userfile__=true
panels=panel1

[panel1]
plugins=statusnotifier,tray
position=Bottom

[statusnotifier]
type=statusnotifier

[tray]
type=tray
)",
    {} };

// Runs a helper program to its end; its output, or nothing when it failed.
std::optional<QString> Fuehre(
    const QString& programm, const QStringList& argumente, const QProcessEnvironment& umgebung)
{
    QProcess prozess;
    prozess.setProcessEnvironment(umgebung);
    prozess.start(programm, argumente);
    if (!prozess.waitForFinished(10000) || prozess.exitStatus() != QProcess::NormalExit
        || prozess.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(prozess.readAllStandardOutput());
}

class Panel : public ::testing::TestWithParam<TPanel> {
protected:
    TXServer x;
    QTemporaryDir sitzung;
    TGestartet bus, panel, programm;
    QProcessEnvironment umgebung;

    QString Bus(const QStringList& argumente)
    {
        return Fuehre("dbus-send", QStringList { "--session", "--print-reply" } + argumente, umgebung)
            .value_or(QString());
    }

    // The program's windows that are mapped now, by their X window id.
    QStringList Sichtbar(const QString& name = {})
    {
        QStringList argumente { "search", "--onlyvisible", "--pid",
            QString::number(programm.Prozess.processId()) };
        if (!name.isEmpty())
            argumente << "--name" << name;
        return Fuehre("xdotool", argumente, umgebung).value_or(QString()).split('\n', Qt::SkipEmptyParts);
    }

    bool Tasten(const QStringList& tasten)
    {
        return Fuehre("xdotool", QStringList { "key" } + tasten, umgebung).has_value();
    }
};

TEST_P(Panel, ShowsTheIconOfAProgramStartedBeforeItWithItsHintAndMenus)
{
    const TPanel& art = GetParam();
    for (const char* noetig : { art.Name, "dbus-daemon", "dbus-send", "xdotool" })
        if (QStandardPaths::findExecutable(noetig).isEmpty())
            GTEST_SKIP() << noetig << " is not installed (scripts/setup installs it)";
    if (const QString grund = x.Starte("1024x768x24"); !grund.isEmpty())
        GTEST_SKIP() << grund.toStdString();
    ASSERT_TRUE(sitzung.isValid());
    const QDir ordner(sitzung.path());
    const QString einstellungen = ordner.filePath("config/") + art.Datei;
    ASSERT_TRUE(QDir().mkpath(QFileInfo(einstellungen).path()));
    QFile datei(einstellungen);
    ASSERT_TRUE(datei.open(QIODevice::WriteOnly));
    datei.write(art.Inhalt);
    datei.close();
    ASSERT_TRUE(ordner.mkpath("laufzeit")
        && QFile::setPermissions(
            ordner.filePath("laufzeit"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    umgebung = x.Umgebung;
    umgebung.insert("XDG_CONFIG_HOME", ordner.filePath("config"));
    umgebung.insert("XDG_CACHE_HOME", ordner.filePath("cache"));
    umgebung.insert("XDG_RUNTIME_DIR", ordner.filePath("laufzeit"));
    umgebung.insert("NO_AT_BRIDGE", "1");
    umgebung.remove("SESSION_MANAGER");
    const QString adresse = "unix:path=" + ordner.filePath("bus");
    bus.Prozess.setProcessEnvironment(umgebung);
    bus.Prozess.start("dbus-daemon", { "--session", "--nofork", "--address=" + adresse });
    ASSERT_TRUE(WarteBis([&] { return QFile::exists(ordner.filePath("bus")); }));
    umgebung.insert("DBUS_SESSION_BUS_ADDRESS", adresse);

    // Anna metering a connection, the program waiting in the tray from its start on.
    TTestumgebung welt;
    RichteAnnaEin();
    Daten.MinimiertStarten = 1;
    ASSERT_TRUE(SpeichereDaten().Ok && SpeichereTarife().Ok);
    QFile verbindung(welt.Pfad("verbindung"));
    ASSERT_TRUE(verbindung.open(QIODevice::WriteOnly));
    verbindung.write("192.0.2.7\n");
    verbindung.close();
    QProcessEnvironment fuerProgramm = umgebung;
    fuerProgramm.insert("KOSTENWOLF_DATA_DIR", welt.Verzeichnis.path());
    fuerProgramm.insert("KOSTENWOLF_RAS_SIMULATION", welt.Pfad("verbindung"));
    programm.Prozess.setProcessEnvironment(fuerProgramm);
    programm.Prozess.setProcessChannelMode(QProcess::ForwardedChannels);
    programm.Prozess.start(KOSTENWOLF_BINARY, QStringList());
    ASSERT_TRUE(programm.Prozess.waitForStarted());
    ASSERT_TRUE(
        WarteBis([&] { return QFile::exists(welt.Pfad("Verbindung.kwj")); }, std::chrono::seconds(30)))
        << "the program does not meter";

    panel.Prozess.setProcessEnvironment(umgebung);
    QStringList argumente;
    for (const char* a : art.Argumente)
        argumente << a;
    panel.Prozess.start(art.Name, argumente);
    ASSERT_TRUE(panel.Prozess.waitForStarted());

    // The panel lists the program's item.
    const QRegularExpression item(
        QString("org\\.kde\\.StatusNotifierItem-%1-\\d+").arg(programm.Prozess.processId()));
    QString dienst;
    EXPECT_TRUE(WarteBis(
        [&] {
            dienst = item
                         .match(Bus({ "--dest=org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                             "org.freedesktop.DBus.Properties.Get", "string:org.kde.StatusNotifierWatcher",
                             "string:RegisteredStatusNotifierItems" }))
                         .captured();
            return !dienst.isEmpty();
        },
        std::chrono::seconds(30)))
        << art.Name << " did not take the program's icon";
    ASSERT_FALSE(dienst.isEmpty());

    // The hint the panel shows follows the meter from second to second.
    const auto hinweis = [&] {
        static const QRegularExpression zeit("string \"(\\d\\d:\\d\\d:\\d\\d - [^\"]*)\"");
        return zeit
            .match(Bus({ "--dest=" + dienst, "/StatusNotifierItem", "org.freedesktop.DBus.Properties.Get",
                "string:org.kde.StatusNotifierItem", "string:ToolTip" }))
            .captured(1);
    };
    QString erster;
    EXPECT_TRUE(WarteBis([&] { return !(erster = hinweis()).isEmpty(); }))
        << "no hint of the running connection";
    EXPECT_TRUE(
        WarteBis([&] { return !hinweis().isEmpty() && hinweis() != erster; }, std::chrono::seconds(5)))
        << erster.toStdString();

    // A right click on the icon: the popup; its first entry opens the main window.
    ASSERT_TRUE(Sichtbar().isEmpty());
    Bus({ "--dest=" + dienst, "/StatusNotifierItem", "org.kde.StatusNotifierItem.ContextMenu", "int32:500",
        "int32:700" });
    ASSERT_TRUE(WarteBis([&] { return !Sichtbar().isEmpty(); })) << "no popup menu";
    ASSERT_TRUE(Tasten({ "Down", "Return" }));
    ASSERT_TRUE(WarteBis([&] { return !Sichtbar("^Kostenwolf$").isEmpty(); }))
        << "\"Öffnen\" did not open the window";

    // The main window's menu answers too: "Info" from "Kostenwolf".
    const QString hauptfenster = Sichtbar("^Kostenwolf$").value(0);
    ASSERT_TRUE(Fuehre("xdotool", { "windowfocus", "--sync", hauptfenster }, umgebung).has_value());
    ASSERT_TRUE(Tasten({ "alt+k" }));
    ASSERT_TRUE(WarteBis([&] { return Sichtbar().size() >= 2; })) << "the menu did not open";
    ASSERT_TRUE(Tasten({ "i" }));
    EXPECT_TRUE(WarteBis([&] { return !Sichtbar("^Info$").isEmpty(); })) << "\"Info\" did not open";
    Tasten({ "Escape" });

    ::kill(pid_t(programm.Prozess.processId()), SIGTERM);
    ASSERT_TRUE(programm.Prozess.waitForFinished(20000));
    EXPECT_EQ(programm.Prozess.exitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, Panel, ::testing::Values(Xfce, Lxqt), [](const ::testing::TestParamInfo<TPanel>& info) {
        return std::string(info.param.Name[0] == 'x' ? "Xfce" : "LXQt");
    });

} // namespace
