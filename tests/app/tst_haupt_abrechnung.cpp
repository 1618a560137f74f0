// The main window metering connections: labels, tray hint, the log entry, the save and
// the messages, driven by a set clock.
#include "app/Haupt.h"
#include "components/InternetDetect.h"
#include "components/TrayIcon.h"
#include "platform/ProgrammIcon.h"
#include "store/Abrechnung.h"
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/FalscheRas.h"
#include "support/Testumgebung.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QtTest>
#include <cstring>
#include <memory>
#include <optional>

namespace {

const TDateTime Beginn = EncodeDate(2026, 3, 14) + EncodeTime(22, 10, 0, 0);

TDateTime Nach(int sekunden)
{
    return Beginn + sekunden / 86'400.0;
}

void SetzeTarif(const char* name, double preis, double grundpreis = 0, double einwahl = 0)
{
    AktTarif = TTarif {};
    AktTarif.Name.Setze(QString::fromLatin1(name));
    AktTarif.Preis = preis;
    AktTarif.Grundpreis = grundpreis;
    AktTarif.Einwahl = einwahl;
}

void Trage(TMonat& m, int k, const char* tarif, double kosten)
{
    m.Verbindungen[k].Tarif.Setze(QString::fromLatin1(tarif));
    m.Verbindungen[k].Kosten = kosten;
}

} // namespace

class TestHauptAbrechnung : public QObject {
    Q_OBJECT

    std::optional<TTestumgebung> umgebung;
    std::unique_ptr<TForm1> form;

    TMonat& Maerz(int u = 1) { return Daten.Benutzer[u].Monate[3]; }
    QString Zeit() const { return form->ZeitLabel->text(); }
    QString Kosten() const { return form->KostenLabel->text(); }

    // One connection from Beginn to 'ende' with ticks at the given seconds.
    void Verbindung(int ende, std::initializer_list<int> ticks)
    {
        SetzeUhr(Beginn);
        form->InternetDetect1Connect(nullptr);
        for (int t : ticks) {
            SetzeUhr(Nach(t));
            form->Timer1Timer(nullptr);
        }
        SetzeUhr(Nach(ende));
        form->InternetDetect1Disconnect(nullptr);
        // The messages come once the event is done, from the event loop.
        QTRY_VERIFY(!form->MeldungenAnstehend());
    }

private slots:
    void init()
    {
        umgebung.emplace();
        Daten.BenutzerAnzahl = 2;
        Daten.Benutzer[1].Name.Setze(QStringLiteral("Anna"));
        Daten.Benutzer[1].MonatNr = 3;
        Daten.Benutzer[2].Name.Setze(QStringLiteral("Bernd"));
        Daten.Benutzer[2].MonatNr = 3;
        AktBenutzer = 1;
        form = std::make_unique<TForm1>(nullptr, TForm1::TStart::OhneStartablauf);
    }

    void cleanup()
    {
        form.reset();
        umgebung.reset();
    }

    void eineVerbindungVonAnfangBisEnde()
    {
        SetzeTarif("Nacht", 4.8);
        Trage(Maerz(), 0, "Alt", 0.5);
        Trage(Maerz(), 1, "Alt", 0.25);
        Trage(Maerz(), 3, "Dahinter", 9); // behind the free entry: joins the month once 2 is filled
        Maerz().SummeKosten = 0.75;
        form->Label1->setText(QStringLiteral("Diesen Monat: 0,75 DM"));

        SetzeUhr(Beginn);
        form->InternetDetect1Connect(nullptr);
        QVERIFY(form->Timer1->isActive());
        QCOMPARE(form->Timer1->interval(), 1000);
        QCOMPARE(Zeit(), "00:00:00");
        QCOMPARE(Kosten(), "0,00 DM");
        QCOMPARE(form->TrayIcon1->Hint(), "Kostenwolf - 0,00DM");
        QCOMPARE(form->Label1->text(), "Diesen Monat: 0,75 DM");

        SetzeUhr(Nach(5 * 60 + 12));
        form->Timer1Timer(nullptr);
        QCOMPARE(Zeit(), "00:05:12");
        QCOMPARE(Kosten(), "0,29 DM");
        QCOMPARE(form->TrayIcon1->Hint(), "00:05:12 - 0,29 DM");

        SetzeUhr(Nach(5 * 60 + 40)); // the disconnect keeps the last tick's cost
        form->InternetDetect1Disconnect(nullptr);
        QVERIFY(!form->Timer1->isActive());
        QCOMPARE(Zeit(), "00:05:40");
        QCOMPARE(Kosten(), "0,29 DM");
        QCOMPARE(form->TrayIcon1->Hint(), "00:05:12 - 0,29 DM");
        QVERIFY(umgebung->Dialoge->Meldungen().isEmpty()); // not from inside the event
        QTRY_VERIFY(!form->MeldungenAnstehend());

        const TVerbindung& v = Maerz().Verbindungen[2];
        QCOMPARE(v.Tarif.Text(), "Nacht");
        QCOMPARE(v.Kosten, 0.29);
        QCOMPARE(v.Dauer, (5 * 60 + 40) / 86'400.0);
        QCOMPARE(v.Datum, Nach(5 * 60 + 40)); // logged at its end
        QCOMPARE(Maerz().SummeKosten, 0.75 + 0.29);
        QCOMPARE(form->Label1->text(), "Diesen Monat: 10,04 DM");
        QCOMPARE(umgebung->Dialoge->Meldungen(), QStringList { "Die Verbindung kostete: 0,29 DM" });

        const auto datei = umgebung->GespeicherteDaten();
        QVERIFY(datei);
        QCOMPARE(datei->Benutzer[1].Monate[3].Verbindungen[2].Tarif.Text(), "Nacht");
        QCOMPARE(datei->Benutzer[1].Monate[3].Verbindungen[2].Kosten, 0.29);
    }

    void gespeichertIstSchonBeiDerKostenmeldung()
    {
        SetzeTarif("Nacht", 4.8);
        bool gespeichert = false;
        umgebung->Dialoge->BeiAnzeige = [&](const TDialogAufruf&) {
            const auto datei = umgebung->GespeicherteDaten();
            gespeichert = datei && AnzahlVerbindungen(datei->Benutzer[1].Monate[3]) == 1;
        };
        Verbindung(90, { 1, 60, 61 });
        QVERIFY(gespeichert);
    }

    void preisProTick_data()
    {
        QTest::addColumn<double>("preis");
        QTest::addColumn<double>("einwahl");
        QTest::addColumn<int>("sekunden");
        QTest::addColumn<QString>("zeit");
        QTest::addColumn<QString>("kosten");
        QTest::newRow("10:00 zu 4,8") << 4.8 << 0.0 << 600 << "00:10:00"
                                      << "0,48 DM";
        QTest::newRow("10:01 zu 4,8") << 4.8 << 0.0 << 601 << "00:10:01"
                                      << "0,53 DM";
        QTest::newRow("1 min zu 2,5") << 2.5 << 0.0 << 60 << "00:01:00"
                                      << "0,02 DM";
        QTest::newRow("3 min zu 2,5") << 2.5 << 0.0 << 180 << "00:03:00"
                                      << "0,08 DM";
        QTest::newRow("Einwahl in Pfennig") << 4.8 << 6.0 << 60 << "00:01:00"
                                            << "0,11 DM";
        QTest::newRow("ganze Tage") << 4.8 << 0.0 << 25 * 3600 + 180 << "25:03:00"
                                    << "72,14 DM";
    }

    void preisProTick()
    {
        QFETCH(double, preis);
        QFETCH(double, einwahl);
        QFETCH(int, sekunden);
        SetzeTarif("T", preis, 0, einwahl);
        SetzeUhr(Beginn);
        form->InternetDetect1Connect(nullptr);
        SetzeUhr(Nach(sekunden));
        form->Timer1Timer(nullptr);
        QTEST(Zeit(), "zeit");
        QTEST(Kosten(), "kosten");
        QCOMPARE(form->TrayIcon1->Hint(), Zeit() + " - " + Kosten());
    }

    void langeVerbindungZeigtGesamtstunden()
    {
        SetzeTarif("T", 1);
        Verbindung(25 * 3600 + 180, { 25 * 3600 + 179 });
        QCOMPARE(Zeit(), "25:03:00");
        QCOMPARE(Maerz().Verbindungen[0].Dauer, (25 * 3600 + 180) / 86'400.0);
    }

    void endeVorDemErstenTickKostetNichts()
    {
        SetzeTarif("T", 4.8, 0, 6);
        Verbindung(0, {});
        QCOMPARE(Maerz().Verbindungen[0].Kosten, 0.0);
        QCOMPARE(umgebung->Dialoge->Meldungen(), QStringList { "Die Verbindung kostete: 0 DM" });
    }

    void monatsbetragMitGrundpreis()
    {
        SetzeTarif("T", 10, 9.9);
        Trage(Maerz(), 0, "T", 0.48);
        Trage(Maerz(), 1, "T", 0.53);
        Verbindung(600, { 600 }); // 10 minutes at 10 Pf
        QCOMPARE(form->Label1->text(), "Diesen Monat: 11,91 DM");
    }

    void inEuroZeigenKostenfeldUndMonatEuro()
    {
        SetzeTarif("T", 10, 9.9);
        Trage(Maerz(), 0, "T", 0.48);
        Trage(Maerz(), 1, "T", 0.53);
        form->EuroUmstellen();
        QVERIFY(umgebung->Dialoge->Meldungen().value(0).startsWith("Alle Beträge sind jetzt in Euro."));
        QCOMPARE(form->Label1->text(), "Diesen Monat: 5,58 €"); // 0,25 + 0,27 + 5,06 base fee
        QCOMPARE(Kosten(), "0,00 €");
        // The coin of the window icon at once, not at the next start.
        QCOMPARE(form->windowIcon().pixmap(32).toImage().convertToFormat(QImage::Format_RGB32),
            ProgrammBildDaten(QStringLiteral("€")));
        Verbindung(600, { 600 }); // 10 minutes at 5,1129 ct
        QCOMPARE(Kosten(), "0,51 €");
        QCOMPARE(form->Label1->text(), "Diesen Monat: 6,09 €");
    }

    void vielBelegterMonat()
    {
        SetzeTarif("T", 1);
        for (int k = 0; k < 550; ++k)
            Trage(Maerz(), k, "T", 0.1);
        Verbindung(60, { 60 });
        QCOMPARE(AnzahlVerbindungen(Maerz()), 551);
        QCOMPARE(form->Label1->text(), "Diesen Monat: 55,01 DM");
    }

    void vollerMonatVerliertNichtsUndSagtEs()
    {
        SetzeTarif("T", 4.8);
        for (int k = 0; k < MaxVerbindungen; ++k)
            Trage(Maerz(), k, "T", 0.01);
        Maerz().SummeKosten = 6;
        const auto vorher = std::make_unique<TMonat>(Maerz());
        Verbindung(60, { 60 });
        QCOMPARE(std::memcmp(vorher.get(), &Maerz(), sizeof(TMonat)), 0);
        QCOMPARE(Daten.Benutzer[1].Monate[4].Verbindungen[0].Tarif.Laenge, 0);
        QCOMPARE(umgebung->Dialoge->Meldungen(),
            (QStringList { "Die Verbindung kostete: 0,05 DM",
                "Das Verbindungsprotokoll dieses Monats ist voll (600 Verbindungen). Die Verbindung "
                "wurde nicht gespeichert." }));
    }

    void ohneTarifBleibtDieVerbindungStehen()
    {
        SetzeTarif("", 0);
        Verbindung(120, { 120 });
        Verbindung(60, { 60 });
        QCOMPARE(AnzahlVerbindungen(Maerz()), 2);
        QCOMPARE(Maerz().Verbindungen[0].Tarif.Text(), "(kein Tarif)");
        QCOMPARE(Maerz().SummeDauer, 180 / 86'400.0);
        QCOMPARE(Kosten(), "0 DM");
    }

    void benutzerwechselWaehrendDerVerbindung()
    {
        SetzeTarif("Anna-Tarif", 1);
        SetzeUhr(Beginn);
        form->InternetDetect1Connect(nullptr);
        SetzeUhr(Nach(60));
        form->Timer1Timer(nullptr);
        AktBenutzer = 2;
        SetzeTarif("Bernd-Tarif", 10);
        SetzeUhr(Nach(120));
        form->Timer1Timer(nullptr);
        form->InternetDetect1Disconnect(nullptr);
        QTRY_VERIFY(!form->MeldungenAnstehend());
        QCOMPARE(AnzahlVerbindungen(Maerz(1)), 0);
        QCOMPARE(Maerz(2).Verbindungen[0].Tarif.Text(), "Bernd-Tarif");
        QCOMPARE(Maerz(2).Verbindungen[0].Kosten, 0.2);
    }

    void fehlgeschlagenesSpeichernWirdGemeldet()
    {
        // A folder where the file should be: the save cannot replace it.
        QVERIFY(QDir(umgebung->Verzeichnis.path()).mkdir(QStringLiteral("Daten.kwd")));
        SetzeTarif("T", 4.8);
        Verbindung(60, { 60 });
        const QStringList meldungen = umgebung->Dialoge->Meldungen();
        QCOMPARE(meldungen.size(), 2);
        QCOMPARE(meldungen[0], "Die Verbindung kostete: 0,05 DM");
        QVERIFY2(meldungen[1].startsWith("Die Daten konnten nicht gespeichert werden: "),
            qPrintable(meldungen[1]));
        QCOMPARE(AnzahlVerbindungen(Maerz()), 1); // still in memory for the next save
    }

    void derDetektorTreibtDieAbrechnung()
    {
        TFalscheRas ras;
        SetzeTarif("T", 4.8);
        SetzeUhr(Beginn);
        ras.Nur("192.0.2.7");
        form->InternetDetect1->CheckConnection(nullptr);
        QVERIFY(form->Timer1->isActive());
        SetzeUhr(Nach(61));
        form->Timer1Timer(nullptr);
        ras.Liste.clear();
        form->InternetDetect1->CheckConnection(nullptr);
        QVERIFY(!form->Timer1->isActive());
        QCOMPARE(Maerz().Verbindungen[0].Kosten, 0.1);
    }
};

QTEST_MAIN(TestHauptAbrechnung)
#include "tst_haupt_abrechnung.moc"
