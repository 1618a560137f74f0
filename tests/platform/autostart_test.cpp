#include "platform/Autostart.h"
#include "support/Dateiinhalt.h"
#include "support/Umgebungsvariable.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// desktop-file-validate's verdict, or nothing when it is not installed.
std::optional<QString> Pruefe(const QString& datei)
{
    const QString pruefer = QStandardPaths::findExecutable("desktop-file-validate");
    if (pruefer.isEmpty())
        return std::nullopt;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(pruefer, { datei });
    p.waitForFinished(10000);
    return p.exitCode() == 0 ? QString() : QString::fromLocal8Bit(p.readAll());
}

class AutostartTest : public ::testing::Test {
protected:
    QTemporaryDir ordner;
    TUmgebungsvariable konfiguration { "XDG_CONFIG_HOME", QFile::encodeName(ordner.path()) };
};

TEST_F(AutostartTest, EntryWrittenAndRemoved)
{
    const QString datei = ordner.filePath("autostart/kostenwolf.desktop");
    EXPECT_EQ(AutostartDatei(), datei);
    EXPECT_FALSE(StartetBeimAnmelden());

    // The entry names a command run at every login: nobody else may change it, whatever
    // the umask.
    const mode_t umask = ::umask(0);
    const bool gesetzt = SetzeStartBeimAnmelden(true, "/usr/bin/kostenwolf");
    ::umask(umask);
    ASSERT_TRUE(gesetzt);
    EXPECT_EQ(
        QFile::permissions(datei), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    EXPECT_EQ(QFile::permissions(ordner.filePath("autostart")),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser
            | QFile::ExeUser);
    EXPECT_TRUE(StartetBeimAnmelden());
    EXPECT_TRUE(Lies(datei).contains("\nExec=\"/usr/bin/kostenwolf\"\n"));
    EXPECT_EQ(Pruefe(datei).value_or(QString()), QString());
    // Written again over itself, still one entry.
    ASSERT_TRUE(SetzeStartBeimAnmelden(true, "/usr/bin/kostenwolf"));

    ASSERT_TRUE(SetzeStartBeimAnmelden(false, "/usr/bin/kostenwolf"));
    EXPECT_FALSE(QFile::exists(datei));
    EXPECT_FALSE(StartetBeimAnmelden());
    EXPECT_TRUE(SetzeStartBeimAnmelden(false, "/usr/bin/kostenwolf")); // nothing left to remove
}

TEST_F(AutostartTest, ProgramPathIsQuotedForTheExecKey)
{
    const QString programm = R"(/opt/Mein Programm/$HOME/100%/a"b\c)";
    EXPECT_EQ(ExecWert(programm), R"("/opt/Mein Programm/\\$HOME/100%%/a\\"b\\\\c")");
    ASSERT_TRUE(SetzeStartBeimAnmelden(true, programm));
    EXPECT_EQ(Pruefe(AutostartDatei()).value_or(QString()), QString());

    EXPECT_FALSE(SetzeStartBeimAnmelden(true, "/tmp/a\nExec=/bin/false"));
}

TEST_F(AutostartTest, SwitchedOffEntryAndWhereTheFolderIs)
{
    QDir().mkpath(ordner.filePath("autostart"));
    QFile f(AutostartDatei());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Desktop Entry]\nType=Application\nExec=kostenwolf\nHidden = true\n");
    f.close();
    EXPECT_FALSE(StartetBeimAnmelden());

    // A relative XDG_CONFIG_HOME counts as unset.
    konfiguration.Setze("relativ/pfad");
    EXPECT_EQ(AutostartDatei(), QDir::homePath() + "/.config/autostart/kostenwolf.desktop");
}

} // namespace
