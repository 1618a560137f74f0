#include "platform/posix/Dateien.h"
#include "support/Dateiinhalt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

unsigned Modus(const QString& pfad)
{
    struct stat info { };
    ::stat(QFile::encodeName(pfad).constData(), &info);
    return info.st_mode & 07777;
}

TEST(Speichern, UeberVerweisBleibtDerVerweisUndDasZielWirdGeschrieben)
{
    QTemporaryDir daten, anderswo;
    ASSERT_TRUE(daten.isValid() && anderswo.isValid());
    const QString ziel = anderswo.filePath(QStringLiteral("echt.kwd"));
    const QString verweis = daten.filePath(QStringLiteral("Daten.kwd"));
    Schreib(ziel, "altaltalt-rest");
    ::chmod(QFile::encodeName(ziel).constData(), 0640);

    // Absolute and relative links, and a link to a link.
    ASSERT_TRUE(QFile::link(ziel, verweis));
    ASSERT_TRUE(SchreibeDatensatz(verweis, "neu", 3, 0600).Ok);
    EXPECT_TRUE(QFileInfo(verweis).isSymLink());
    EXPECT_EQ(Lies(ziel), "neualtalt-rest"); // the longer file keeps its tail
    EXPECT_EQ(Modus(ziel), 0640u);

    const QString relativ = anderswo.filePath(QStringLiteral("relativ.kwd"));
    ASSERT_EQ(::symlink("echt.kwd", QFile::encodeName(relativ).constData()), 0);
    const QString kette = daten.filePath(QStringLiteral("Tarife.kwt"));
    ASSERT_TRUE(QFile::link(relativ, kette));
    ASSERT_TRUE(SchreibeDatensatz(kette, "NEU", 3, 0600).Ok);
    EXPECT_TRUE(QFileInfo(kette).isSymLink());
    EXPECT_TRUE(QFileInfo(relativ).isSymLink());
    EXPECT_EQ(Lies(ziel), "NEUaltalt-rest");

    // No temporary file is left anywhere.
    EXPECT_EQ(QDir(daten.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
    EXPECT_EQ(
        QDir(anderswo.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
}

TEST(Speichern, VerweisOhneZielLegtDasZielAnUndSchleifeScheitert)
{
    QTemporaryDir daten;
    const QString verweis = daten.filePath(QStringLiteral("Daten.kwd"));
    const QString ziel = daten.filePath(QStringLiteral("neu.kwd"));
    ASSERT_TRUE(QFile::link(ziel, verweis));
    ASSERT_TRUE(SchreibeDatensatz(verweis, "abc", 3, 0600).Ok);
    EXPECT_TRUE(QFileInfo(verweis).isSymLink());
    EXPECT_EQ(Lies(ziel), "abc");
    EXPECT_EQ(Modus(ziel) & 0077, 0u);

    const QString a = daten.filePath(QStringLiteral("a")), b = daten.filePath(QStringLiteral("b"));
    ASSERT_TRUE(QFile::link(a, b));
    ASSERT_TRUE(QFile::link(b, a));
    EXPECT_FALSE(SchreibeDatensatz(a, "abc", 3, 0600).Ok);
    EXPECT_TRUE(QFileInfo(a).isSymLink());
}

TEST(Aufraeumen, NurUnsereVerwaistenTemporaerenDateien)
{
    QTemporaryDir daten, anderswo;
    const QString pfad = daten.filePath(QStringLiteral("Daten.kwd"));
    Schreib(pfad, "daten");
    const QStringList unsere { QStringLiteral(".Daten.kwd.a1B2c3"), QStringLiteral(".Daten.kwd.XXXXXX") };
    for (const QString& n : unsere)
        Schreib(daten.filePath(n), QByteArray(1000, 'x'));
    const QStringList fremde { QStringLiteral("Daten.kwd.a1B2c3"), QStringLiteral(".Daten.kwd.a1B2c"),
        QStringLiteral(".Daten.kwd.a1B2c34"), QStringLiteral(".Daten.kwd.a1-2c3"),
        QStringLiteral(".Tarife.kwt.a1B2c3"), QStringLiteral(".Daten.kwd~"), QStringLiteral("notizen.txt") };
    for (const QString& n : fremde)
        Schreib(daten.filePath(n), "fremd");
    // A directory and a link of our pattern are not ours.
    ASSERT_TRUE(QDir(daten.path()).mkdir(QStringLiteral(".Daten.kwd.dir123")));
    const QString wichtig = anderswo.filePath(QStringLiteral("wichtig"));
    Schreib(wichtig, "wichtig");
    ASSERT_TRUE(QFile::link(wichtig, daten.filePath(QStringLiteral(".Daten.kwd.lnk123"))));
    if (::geteuid() == 0) {
        const QString fremderBesitz = daten.filePath(QStringLiteral(".Daten.kwd.nobody"));
        Schreib(fremderBesitz, "fremd");
        ASSERT_EQ(::chown(QFile::encodeName(fremderBesitz).constData(), 65534, 65534), 0);
    }

    EXPECT_EQ(RaeumeTemporaereAuf(pfad), 2);
    for (const QString& n : unsere)
        EXPECT_FALSE(QFileInfo::exists(daten.filePath(n))) << qPrintable(n);
    for (const QString& n : fremde)
        EXPECT_TRUE(QFileInfo::exists(daten.filePath(n))) << qPrintable(n);
    EXPECT_TRUE(QFileInfo(daten.filePath(QStringLiteral(".Daten.kwd.dir123"))).isDir());
    EXPECT_EQ(Lies(wichtig), "wichtig");
    EXPECT_EQ(Lies(pfad), "daten");
    if (::geteuid() == 0) {
        EXPECT_TRUE(QFileInfo::exists(daten.filePath(QStringLiteral(".Daten.kwd.nobody"))));
    }
}

TEST(Aufraeumen, AuchNebenDemZielEinesVerweises)
{
    QTemporaryDir daten, anderswo;
    const QString ziel = anderswo.filePath(QStringLiteral("echt.kwd"));
    Schreib(ziel, "daten");
    const QString pfad = daten.filePath(QStringLiteral("Daten.kwd"));
    ASSERT_TRUE(QFile::link(ziel, pfad));
    Schreib(anderswo.filePath(QStringLiteral(".echt.kwd.Qw3rT9")), "halb");
    Schreib(daten.filePath(QStringLiteral(".Daten.kwd.Qw3rT9")), "halb");
    EXPECT_EQ(RaeumeTemporaereAuf(pfad), 2);
    EXPECT_EQ(Lies(ziel), "daten");
    EXPECT_TRUE(QFileInfo(pfad).isSymLink());
}

} // namespace

TEST(DatenVerzeichnis, NieNebenEinemInstalliertenProgramm)
{
    QTemporaryDir praefix;
    ASSERT_TRUE(praefix.isValid());
    ASSERT_TRUE(QDir(praefix.path()).mkpath(QStringLiteral("bin")));
    ASSERT_TRUE(QDir(praefix.path()).mkpath(QStringLiteral("share/applications")));
    const QString bin = praefix.filePath(QStringLiteral("bin"));
    const struct {
        QString ordner;
        bool installiert;
    } faelle[] = {
        { QStringLiteral("/usr/bin"), true }, { QStringLiteral("/usr/local/bin/"), true },
        { QStringLiteral("/bin"), true }, { QStringLiteral("/usr/../usr/games"), true },
        { QStringLiteral("/usrlocal/kostenwolf"), false }, { QStringLiteral("/home/anna/kostenwolf"), false },
        { bin, false }, // a prefix without the menu entry: a folder of its own
    };
    for (const auto& fall : faelle)
        EXPECT_EQ(IstInstallationsverzeichnis(fall.ordner), fall.installiert) << fall.ordner.toStdString();
    Schreib(praefix.filePath(QStringLiteral("share/applications/kostenwolf.desktop")), "[Desktop Entry]\n");
    EXPECT_TRUE(IstInstallationsverzeichnis(bin));
}
