// The move to Euro: the amounts, the files it writes, and what stays when it fails.
#include "core/EuroUmstellung.h"
#include "core/Journal.h"
#include "runtime/Waehrung.h"
#include "store/Verlauf.h"
#include "store/Waehrungseinstellung.h"
#include "support/Dateiinhalt.h"
#include "support/Testumgebung.h"

#include <QDir>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

struct TZeile {
    double Dm;
    int Stellen;
    double Euro;
};

TEST(EuroUmstellung, RechnetZumFestenKursUndRundetHalbeAuf)
{
    const TZeile zeilen[] = {
        { 1.95583, 2, 1.00 },
        { 0.00977915, 2, 0.01 }, // exactly half a cent
        { 0.00977914, 2, 0.00 },
        { 0.0000977915, 4, 0.0001 }, // exactly half of the fourth place
        { 0.01, 2, 0.01 },
        { 0.48, 2, 0.25 },
        { 9.9, 2, 5.06 },
        { 1'000'000, 2, 511'291.88 },
        { 123'456.78, 2, 63'122.45 },
        { -1.95583, 2, -1.00 },
        { 0, 2, 0 },
        { 4.8, 4, 2.4542 },
        { 6, 4, 3.0678 },
    };
    for (const TZeile& z : zeilen)
        EXPECT_EQ(InEuro(z.Dm, z.Stellen), z.Euro) << z.Dm << " DM, " << z.Stellen << " Stellen";
}

TEST(EuroUmstellung, MonatssummenAusDenUmgerechnetenEintraegen)
{
    auto daten = std::make_unique<TDaten>();
    std::memset(daten.get(), 0, sizeof(TDaten));
    TMonat& m = daten->Benutzer[2].Monate[5];
    for (int k = 0; k < 3; ++k) {
        m.Verbindungen[k].Tarif.Setze(QStringLiteral("Tag"));
        m.Verbindungen[k].Kosten = 0.01;
    }
    m.Verbindungen[4].Kosten = 1.95583; // behind the first free entry: converted, not summed
    m.SummeKosten = 0.07; // out of step with its entries
    RechneDatenInEuroUm(*daten);
    EXPECT_EQ(m.Verbindungen[0].Kosten, 0.01);
    EXPECT_EQ(m.Verbindungen[4].Kosten, 1.0);
    EXPECT_EQ(m.SummeKosten, 0.03); // not 0.07 DM (0.04 €), nor 0.03 DM (0.02 €)

    TTarif t {};
    t.Preis = 4.8;
    t.Einwahl = 6;
    t.Grundpreis = 9.9;
    RechneTarifInEuroUm(t);
    EXPECT_EQ(t.Preis, 2.4542);
    EXPECT_EQ(t.Einwahl, 3.0678);
    EXPECT_EQ(t.Grundpreis, 5.06);
}

TEST(EuroUmstellung, RegeldateiBehaeltAllesAusserDenPreisen)
{
    const QByteArray dm = "name=Abend \xc3\xbc\r\n"
                          "currency_symbol=DM # Mark\r\n"
                          "per_connection=0.12\r\n"
                          "minimum_costs = 1\n"
                          "flat_init_costs=(0.5,120)\n"
                          "default=(0.06, 60)\n"
                          "on (monday..friday) between (18:00..7:59) use (0.03,90,30) # Nacht\n";
    QString fehler;
    EXPECT_EQ(RechneRegelnInEuroUm(dm, fehler),
        QByteArray("name=Abend \xc3\xbc\r\n"
                   "currency_symbol=EUR # Mark\r\n"
                   "per_connection=0.0614\r\n"
                   "minimum_costs = 0.5113\n"
                   "flat_init_costs=(0.2556,120)\n"
                   "default=(0.0307, 60)\n"
                   "on (monday..friday) between (18:00..7:59) use (0.0153,90,30) # Nacht\n"));
    EXPECT_FALSE(RechneRegelnInEuroUm("default=(billig, 60)\n", fehler));
    EXPECT_EQ(fehler, QStringLiteral("Zeile 1: der Preis ist nicht lesbar"));
}

// The history log's rows, DM as logged and Euro as the move makes them; the last one
// was logged in Euro already.
const struct {
    double Kosten;
    const char* Waehrung;
    const char* Euro;
} VerlaufZeilen[] = {
    { 0.00977915, "DM", "0.01|EUR" }, // exactly half a cent
    { 0.00977914, "DM", "0.0|EUR" },
    { 0.01, "DM", "0.01|EUR" },
    { 0.01, "DM", "0.01|EUR" },
    { 1'000'000, "DM", "511291.88|EUR" },
    { 0.5, "EUR", "0.5|EUR" },
};

// "kosten|waehrung" of every row of the log at 'pfad', as stored.
QStringList VerlaufInhalt(const QString& pfad)
{
    QStringList zeilen;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test"));
        db.setDatabaseName(pfad);
        EXPECT_TRUE(db.open());
        QSqlQuery q(QStringLiteral("SELECT kosten || '|' || waehrung FROM verbindungen ORDER BY id"), db);
        while (q.next())
            zeilen << q.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test"));
    return zeilen;
}

// A DM account on disk: a logged connection, a tariff, a budget, a rules file, the
// history log.
class EuroUmstellungDateien : public ::testing::Test {
protected:
    TTestumgebung umgebung;
    QString verzeichnis = umgebung.Verzeichnis.path();
    QString verlauf = umgebung.Pfad(VerlaufDateiName);
    QStringList verlaufDm;

    void SetUp() override
    {
        RichteAnnaEin();
        TMonat& m = Daten.Benutzer[1].Monate[Daten.Benutzer[1].MonatNr];
        m.Verbindungen[0].Tarif.Setze(QStringLiteral("Tag"));
        m.Verbindungen[0].Kosten = 0.48;
        m.SummeKosten = 0.48;
        ASSERT_TRUE(SpeichereDaten().Ok);
        ASSERT_TRUE(SpeichereTarife().Ok);
        QDir(verzeichnis).mkdir(RegelOrdnerName);
        Schreib(umgebung.Pfad(QStringLiteral("Tarife/Tag.rst")), "default=(0.06,60)\n");
        Schreib(umgebung.Pfad(EinstellungsDateiName), "[Budget1]\nName=Anna\nMonatsbudget=50.00\n");
        TVerlauf log(verlauf);
        ASSERT_TRUE(log.Oeffne().Ok);
        int minute = 0;
        for (const auto& zeile : VerlaufZeilen) {
            TVerlaufsEintrag e;
            e.Benutzer = QStringLiteral("Anna");
            e.Beginn = EncodeDate(2026, 3, 14) + EncodeTime(10, minute++, 0, 0);
            e.Ende = e.Beginn;
            e.Kosten = zeile.Kosten;
            e.Waehrung = QString::fromLatin1(zeile.Waehrung);
            ASSERT_TRUE(log.Schreibe(e));
        }
        log.Schliesse();
        verlaufDm = VerlaufInhalt(verlauf);
    }

    // Every file but the log, which goes by its rows.
    std::map<QString, QByteArray> Stand(bool mitVerlauf = false) const
    {
        std::map<QString, QByteArray> stand;
        for (const QString& name : QDir(verzeichnis).entryList(QDir::Files | QDir::Hidden))
            if (mitVerlauf || !name.startsWith(VerlaufDateiName))
                stand[name] = Lies(umgebung.Pfad(name));
        stand[QStringLiteral("Tarife/Tag.rst")] = Lies(umgebung.Pfad(QStringLiteral("Tarife/Tag.rst")));
        return stand;
    }
};

TEST_F(EuroUmstellungDateien, StelltEinmalUmUndLaesstDieSicherungen)
{
    const auto dm = Stand();
    const TEuroErgebnis ergebnis = StelleAufEuroUm(verzeichnis);
    ASSERT_EQ(ergebnis.art, TEuroErgebnis::Umgestellt) << ergebnis.Meldung.toStdString();

    for (const char* name : { "Daten.kwd", "Tarife.kwt", "Kostenwolf.ini" })
        EXPECT_EQ(Lies(umgebung.Pfad(QString::fromLatin1(name) + QStringLiteral(".dm"))),
            dm.at(QString::fromLatin1(name)))
            << name;
    EXPECT_EQ(Lies(umgebung.Pfad(QStringLiteral("Tarife.dm/Tag.rst"))), "default=(0.06,60)\n");
    EXPECT_EQ(Lies(umgebung.Pfad(QStringLiteral("Tarife/Tag.rst"))), "default=(0.0307,60)\n");
    const auto euro = umgebung.GespeicherteDaten();
    ASSERT_TRUE(euro);
    EXPECT_EQ(euro->Benutzer[1].Monate[euro->Benutzer[1].MonatNr].SummeKosten, 0.25);
    const QSettings ini(umgebung.Pfad(EinstellungsDateiName), QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("Allgemein/Waehrung")).toString(), QStringLiteral("EUR"));
    EXPECT_EQ(ini.value(QStringLiteral("Budget1/Monatsbudget")).toString(), QStringLiteral("25.56"));

    QStringList euroZeilen;
    for (const auto& zeile : VerlaufZeilen)
        euroZeilen << QString::fromLatin1(zeile.Euro);
    EXPECT_EQ(VerlaufInhalt(verlauf), euroZeilen);
    EXPECT_EQ(VerlaufInhalt(verlauf + QStringLiteral(".dm")), verlaufDm);
    // The month adds up the rows as converted: 0.01 + 0 + 0.01 + 0.01 + 511,291.88 + 0.50,
    // where the DM sum converted would give 511,292.40.
    Waehrung = TWaehrung::EUR;
    TVerlauf log(verlauf);
    ASSERT_TRUE(log.OeffneNurLesend());
    EXPECT_NEAR(log.Monatswerte(QStringLiteral("Anna"), 2026)[2].Kosten, 511'292.41, 1e-6);
    log.Schliesse();

    // A second move changes nothing.
    const auto nachher = Stand();
    const TEuroErgebnis zweites = StelleAufEuroUm(verzeichnis);
    EXPECT_EQ(zweites.art, TEuroErgebnis::BereitsEuro);
    EXPECT_EQ(zweites.Meldung, BereitsEuroText);
    EXPECT_EQ(Stand(), nachher);
    EXPECT_EQ(VerlaufInhalt(verlauf), euroZeilen);
}

TEST_F(EuroUmstellungDateien, FehlerUnterwegsLaesstDieDmDateienWieSieWaren)
{
    const auto dm = Stand();
    const QString absturz = umgebung.Pfad(QStringLiteral("absturz"));
    // The further step comes after the data files: it keeps what a crash at that moment
    // would leave, and fails.
    const TEuroSchritt kaputt { JournalName,
        [&](const QString&) {
            QDir().mkpath(absturz + QStringLiteral("/Tarife.dm"));
            QDir().mkpath(absturz + QStringLiteral("/Tarife"));
            for (const auto& [name, inhalt] : Stand(true))
                Schreib(absturz + QLatin1Char('/') + name, Lies(umgebung.Pfad(name)));
            for (const QString& name :
                QDir(verzeichnis + QStringLiteral("/Tarife.dm")).entryList(QDir::Files))
                Schreib(absturz + QStringLiteral("/Tarife.dm/") + name,
                    Lies(umgebung.Pfad(QStringLiteral("Tarife.dm/") + name)));
            return TErgebnis::Fehlschlag(QStringLiteral("Datenträger voll"));
        } };
    Schreib(umgebung.Pfad(JournalName), "kein Journal");
    const auto mitJournal = Stand();

    const TEuroErgebnis ergebnis = StelleAufEuroUm(verzeichnis, { VerlaufEuroSchritt(), kaputt });
    EXPECT_EQ(ergebnis.art, TEuroErgebnis::Fehlgeschlagen);
    EXPECT_TRUE(ergebnis.Meldung.contains(QStringLiteral("Datenträger voll")));
    for (const auto& [name, inhalt] : mitJournal)
        EXPECT_EQ(Lies(umgebung.Pfad(name)), inhalt) << name.toStdString();
    EXPECT_EQ(LiesWaehrung(umgebung.Pfad(EinstellungsDateiName)).Waehrung, TWaehrung::DM);
    EXPECT_EQ(VerlaufInhalt(verlauf), verlaufDm);

    // The crash: Daten.kwd and the log are Euro already; the next start takes them back.
    const QString abgestuerzt = absturz + QLatin1Char('/') + VerlaufDateiName;
    ASSERT_NE(Lies(absturz + QStringLiteral("/Daten.kwd")), dm.at(QStringLiteral("Daten.kwd")));
    ASSERT_NE(VerlaufInhalt(abgestuerzt), verlaufDm);
    EXPECT_FALSE(SetzeAbgebrocheneEuroUmstellungZurueck(absturz).isEmpty());
    for (const auto& [name, inhalt] : mitJournal)
        EXPECT_EQ(Lies(absturz + QLatin1Char('/') + name), inhalt) << name.toStdString();
    EXPECT_EQ(VerlaufInhalt(abgestuerzt), verlaufDm);
    EXPECT_TRUE(SetzeAbgebrocheneEuroUmstellungZurueck(absturz).isEmpty());
}

} // namespace
