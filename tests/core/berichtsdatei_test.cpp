#include "core/BerichtsDatei.h"
#include "support/Dateiinhalt.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

TEST(BerichtsDatei, ReplacesAnExistingFileWhole)
{
    QTemporaryDir dir;
    const QString pfad = dir.filePath(QStringLiteral("März2026.txt"));
    Schreib(pfad, QByteArray(10'000, 'x'));
    EXPECT_EQ(SchreibeBerichtsDatei(pfad, "{\\rtf1 kurz}"), TExportErgebnis::Geschrieben);
    EXPECT_EQ(Lies(pfad), "{\\rtf1 kurz}");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "März2026.txt" });
}

TEST(BerichtsDatei, UncreatableFileIsReportedWithItsName)
{
    QTemporaryDir dir;
    const QString fehlt = dir.filePath(QStringLiteral("gibt es nicht/Mai2026.txt"));
    EXPECT_EQ(SchreibeBerichtsDatei(fehlt, "x"), TExportErgebnis::NichtErstellt);
    EXPECT_EQ(ExportFehlerText(TExportErgebnis::NichtErstellt, fehlt),
        QStringLiteral("Datei %1 kann nicht erstellt werden").arg(fehlt));
    EXPECT_EQ(SchreibeBerichtsDatei(dir.path(), "x"), TExportErgebnis::NichtErstellt);
    EXPECT_EQ(SchreibeBerichtsDatei(QString(), "x"), TExportErgebnis::NichtErstellt);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

TEST(BerichtsDatei, FailedWriteKeepsTheOldFileAndLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString pfad = dir.filePath(QStringLiteral("Juni2026.txt"));
    Schreib(pfad, "alter Bericht");

    // A file size limit makes the write fail as a full disk would.
    rlimit vorher {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &vorher), 0);
    const auto alterHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit grenze = vorher;
    grenze.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &grenze), 0);
    const TExportErgebnis ergebnis = SchreibeBerichtsDatei(pfad, QByteArray(100'000, 'r'));
    setrlimit(RLIMIT_FSIZE, &vorher);
    std::signal(SIGXFSZ, alterHandler);

    EXPECT_EQ(ergebnis, TExportErgebnis::StreamFehler);
    EXPECT_EQ(ExportFehlerText(ergebnis, pfad), QStringLiteral("Das Speichern des Streams ist mißlungen"));
    EXPECT_EQ(Lies(pfad), "alter Bericht");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "Juni2026.txt" });
}
