#include "store/Verlauf.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariant>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TDateTime Am(int jahr, int monat, int tag, int stunde, int minute, int sekunde = 0)
{
    return EncodeDate(jahr, monat, tag) + EncodeTime(stunde, minute, sekunde, 0);
}

class Verlauf : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(daten.get(), 0, sizeof(TDaten));
        daten->BenutzerAnzahl = 2;
        daten->Benutzer[1].Name.Setze(QStringLiteral("Anna"));
        daten->Benutzer[2].Name.Setze(QStringLiteral("Bernd"));
    }
    QString Pfad() const { return dir.filePath(QStringLiteral("Verlauf.sqlite")); }

    // An entry in user u's slot for the month of 'ende'.
    void Trage(
        int u, TDateTime ende, int sekunden, double kosten, const QString& tarif = QStringLiteral("Tag"))
    {
        int jahr, monat, tag;
        DecodeDate(ende, jahr, monat, tag);
        TMonat& m = daten->Benutzer[u].Monate[monat];
        TVerbindung& v = m.Verbindungen[AnzahlVerbindungen(m)];
        v.Tarif.Setze(tarif);
        v.Datum = ende;
        v.Dauer = sekunden / 86'400.0;
        v.Kosten = kosten;
    }

    // Rows as sqlite3 would show them, read through a connection of the test's own.
    QStringList Zeilen(const QString& sql) const
    {
        QStringList zeilen;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test"));
            db.setDatabaseName(Pfad());
            EXPECT_TRUE(db.open());
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec(sql));
            while (q.next()) {
                QStringList felder;
                for (int i = 0; i < q.record().count(); ++i)
                    felder << (q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
                zeilen << felder.join(QLatin1Char('|'));
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("test"));
        return zeilen;
    }

    QTemporaryDir dir;
    std::unique_ptr<TDaten> daten = std::make_unique<TDaten>();
};

TEST_F(Verlauf, NeuerVerlaufHatDasBeschriebeneSchemaUndGehoertNurDemBesitzer)
{
    {
        TVerlauf verlauf(Pfad());
        ASSERT_TRUE(verlauf.Oeffne().Ok);
    }
    struct stat st { };
    ASSERT_EQ(::stat(QFile::encodeName(Pfad()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(Zeilen(QStringLiteral("PRAGMA user_version")), QStringList { QStringLiteral("1") });
    EXPECT_EQ(Zeilen(QStringLiteral("PRAGMA journal_mode")), QStringList { QStringLiteral("wal") });
    EXPECT_EQ(Zeilen(QStringLiteral("SELECT name || ' ' || type FROM pragma_table_info('verbindungen')")),
        (QStringList { "id INTEGER", "benutzer TEXT", "beginn TEXT", "ende TEXT", "sekunden REAL",
            "kosten REAL", "waehrung TEXT", "tarif TEXT", "rx_bytes INTEGER", "tx_bytes INTEGER",
            "quelle TEXT", "wiederhergestellt INTEGER" }));
}

TEST_F(Verlauf, UebernahmeAusDatenGeschiehtEinmalUndVerdoppeltNichtsGeschriebenes)
{
    Trage(1, Am(2026, 3, 14, 10, 20), 600, 0.48);
    Trage(1, Am(2026, 3, 14, 11, 0, 30), 61, 0.12, QStringLiteral("(kein Tarif)"));
    Trage(2, Am(2026, 3, 14, 10, 20), 600, 0.48);
    // The first connection was also written as it was logged, with its real start and
    // bytes; the second one's write failed in between.
    TVerlauf verlauf(Pfad());
    ASSERT_TRUE(verlauf.Oeffne().Ok);
    TVerlaufsEintrag live
        = EintragAusDaten(QStringLiteral("Anna"), daten->Benutzer[1].Monate[3].Verbindungen[0]);
    live.Beginn = Am(2026, 3, 14, 10, 9, 58);
    live.RxBytes = 123'456;
    live.TxBytes = 7'890;
    live.Quelle = QuelleMessung;
    ASSERT_TRUE(verlauf.Schreibe(live));
    ASSERT_TRUE(verlauf.Schreibe(live));

    EXPECT_EQ(verlauf.UebernimmAusDaten(*daten), 2);
    EXPECT_EQ(verlauf.UebernimmAusDaten(*daten), 0);
    verlauf.Schliesse();

    EXPECT_EQ(
        Zeilen(QStringLiteral("SELECT benutzer, beginn, ende, sekunden, kosten, waehrung, tarif, rx_bytes, "
                              "tx_bytes, quelle, wiederhergestellt FROM verbindungen ORDER BY id")),
        (QStringList { "Anna|2026-03-14T10:09:58|2026-03-14T10:20:00|600|0.48|DM|Tag|123456|7890|Messung|0",
            "Anna|2026-03-14T10:59:29|2026-03-14T11:00:30|61|0.12|DM|(kein Tarif)|NULL|NULL|Daten.kwd|0",
            "Bernd|2026-03-14T10:10:00|2026-03-14T10:20:00|600|0.48|DM|Tag|NULL|NULL|Daten.kwd|0" }));
}

TEST_F(Verlauf, BeschaedigterVerlaufWirdBeiseitegelegtUndNeuAngelegt)
{
    QFile kaputt(Pfad());
    ASSERT_TRUE(kaputt.open(QIODevice::WriteOnly));
    kaputt.write(QByteArray(8192, 'x'));
    kaputt.close();
    QFile wal(Pfad() + QStringLiteral("-wal"));
    ASSERT_TRUE(wal.open(QIODevice::WriteOnly));
    wal.close();

    TVerlauf verlauf(Pfad());
    const TVerlauf::TOeffnen geoeffnet = verlauf.Oeffne();
    ASSERT_TRUE(geoeffnet.Ok);
    EXPECT_TRUE(geoeffnet.Meldung.contains(QStringLiteral("Verlauf.sqlite.defekt")))
        << geoeffnet.Meldung.toStdString();
    Trage(1, Am(2026, 3, 14, 10, 20), 600, 0.48);
    EXPECT_EQ(verlauf.UebernimmAusDaten(*daten), 1);
    EXPECT_EQ(QFile(dir.filePath(QStringLiteral("Verlauf.sqlite.defekt"))).size(), 8192);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Verlauf.sqlite.defekt-wal"))));
    // A good log opens again without a word.
    verlauf.Schliesse();
    EXPECT_EQ(verlauf.Oeffne().Meldung, QString());
}

TEST_F(Verlauf, SummenGehenNachDemBeginnDerVerbindung)
{
    Trage(1, Am(2025, 12, 31, 23, 58), 120, 0.10); // began in December
    Trage(1, Am(2026, 1, 1, 0, 10), 1800, 1.00); // began on New Year's Eve
    Trage(1, Am(2026, 1, 2, 9, 0), 60, 0.06);
    Trage(1, Am(2026, 3, 5, 9, 0), 60, 0.06);
    Trage(2, Am(2026, 1, 2, 9, 0), 60, 5.00);
    TVerlauf verlauf(Pfad());
    ASSERT_TRUE(verlauf.Oeffne().Ok);
    ASSERT_EQ(verlauf.UebernimmAusDaten(*daten), 5);

    const auto monate = verlauf.Monatswerte(QStringLiteral("Anna"), 2026);
    EXPECT_EQ(monate[0].Anzahl, 1);
    EXPECT_DOUBLE_EQ(monate[0].Kosten, 0.06);
    EXPECT_EQ(monate[2].Anzahl, 1);
    EXPECT_EQ(monate[1].Anzahl, 0);
    const auto dezember = verlauf.Monatswerte(QStringLiteral("Anna"), 2025)[11];
    EXPECT_EQ(dezember.Anzahl, 2);
    EXPECT_DOUBLE_EQ(dezember.Sekunden, 1920);
    const auto tage = verlauf.Tageswerte(QStringLiteral("Anna"), 2025, 12);
    ASSERT_EQ(tage.size(), 31u);
    EXPECT_DOUBLE_EQ(tage[30].Kosten, 1.10);
    EXPECT_EQ(verlauf.Jahre(QStringLiteral("Anna")), std::make_pair(2025, 2026));
    EXPECT_EQ(verlauf.Jahre(QStringLiteral("Carla")), std::nullopt);
    const auto liste
        = verlauf.Verbindungen(QStringLiteral("Anna"), Am(2026, 1, 1, 0, 0), Am(2026, 4, 1, 0, 0));
    ASSERT_EQ(liste.size(), 2u);
    EXPECT_EQ(liste[0].Beginn, Am(2026, 1, 2, 8, 59));
    EXPECT_EQ(liste[1].Ende, Am(2026, 3, 5, 9, 0));
}

// After the move to Euro "Daten.kwd" holds the costs in Euro, the log its earlier rows
// in DM: they are the same connections and count at the fixed rate.
TEST_F(Verlauf, NachDerUmstellungAufEuroBleibtJedeVerbindungEinmal)
{
    Trage(1, Am(2026, 3, 14, 10, 20), 600, 0.48);
    TVerlauf verlauf(Pfad());
    ASSERT_TRUE(verlauf.Oeffne().Ok);
    ASSERT_EQ(verlauf.UebernimmAusDaten(*daten), 1);
    daten->Benutzer[1].Monate[3].Verbindungen[0].Kosten = 0.25;
    Waehrung = TWaehrung::EUR;
    const auto umgestellt = verlauf.UebernimmAusDaten(*daten);
    const double maerz = verlauf.Monatswerte(QStringLiteral("Anna"), 2026)[2].Kosten;
    Waehrung = TWaehrung::DM;
    EXPECT_EQ(umgestellt, 0);
    EXPECT_DOUBLE_EQ(maerz, 0.25);
}

TEST_F(Verlauf, NurLesendLegtNichtsAnUndSiehtDasGeschriebene)
{
    TVerlauf leser(Pfad());
    EXPECT_FALSE(leser.OeffneNurLesend());
    EXPECT_FALSE(QFile::exists(Pfad()));
    TVerlauf verlauf(Pfad());
    ASSERT_TRUE(verlauf.Oeffne().Ok);
    Trage(1, Am(2026, 3, 14, 10, 20), 600, 0.48);
    ASSERT_EQ(verlauf.UebernimmAusDaten(*daten), 1);
    ASSERT_TRUE(leser.OeffneNurLesend());
    EXPECT_EQ(leser.Monatswerte(QStringLiteral("Anna"), 2026)[2].Anzahl, 1);
    TVerlaufsEintrag neu
        = EintragAusDaten(QStringLiteral("Anna"), daten->Benutzer[1].Monate[3].Verbindungen[0]);
    neu.Ende += 1;
    EXPECT_FALSE(leser.Schreibe(neu));
    // With no writer left, a reader makes no files beside the log.
    leser.Schliesse();
    verlauf.Schliesse();
    ASSERT_TRUE(leser.OeffneNurLesend());
    EXPECT_EQ(leser.Monatswerte(QStringLiteral("Anna"), 2026)[2].Anzahl, 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { QStringLiteral("Verlauf.sqlite") });
}

} // namespace
