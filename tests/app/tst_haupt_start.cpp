// Start-up, login, month roll-over, window options, minimize to the tray and the close
// sequence of the main window.
#include "app/Haupt.h"
#include "app/Info.h"
#include "app/Programm.h"
#include "components/InternetDetect.h"
#include "components/TrayIcon.h"
#include "core/Journal.h"
#include "platform/Anwendung.h"
#include "platform/ShellNotify.h"
#include "platform/Signale.h"
#include "report/Konto.h"
#include "runtime/Shell.h"
#include "settings/Settings.h"
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/Dateiinhalt.h"
#include "support/Hauptfenster.h"
#include "support/ShellNotifyAufzeichnung.h"
#include "support/Testumgebung.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSessionManager>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <memory>
#include <optional>

namespace {

const QString KeinTarif
    = QStringLiteral("Es ist kein Tarif ausgewählt. Bitte tun Sie dies im Menü \"Datei -> Einstellungen\"");
const TDateTime ImMaerz = EncodeDate(2026, 3, 14) + EncodeTime(9, 30, 0, 0);

void Trage(TMonat& m, int k, const char* tarif, double kosten)
{
    m.Verbindungen[k].Tarif.Setze(QString::fromLatin1(tarif));
    m.Verbindungen[k].Kosten = kosten;
}

// A notification area that takes every icon.
struct TTrayVorhanden : TShellNotifyDienst {
    bool NotifyIcon(uint32_t, const NOTIFYICONDATA&) override { return true; }
};

} // namespace

class TestHauptStart : public QObject {
    Q_OBJECT

    std::optional<TTestumgebung> umgebung;
    std::unique_ptr<TForm1> form;

    QString DatenDatei() const { return umgebung->Pfad(QStringLiteral("Daten.kwd")); }
    QString TarifDatei() const { return umgebung->Pfad(QStringLiteral("Tarife.kwt")); }

    // Two users, Anna (start user, tariff 1) and Bernd, logging into March; both files
    // written, the memory cleared again as at program start.
    void Vorbereiten(const std::function<void()>& anpassen = {})
    {
        Daten.BenutzerAnzahl = 2;
        Daten.StartBenutzer = 1;
        Daten.Benutzer[1].Name.Setze(QStringLiteral("Anna"));
        Daten.Benutzer[1].TarifNr = 1;
        Daten.Benutzer[1].MonatNr = 3;
        Daten.Benutzer[2].Name.Setze(QStringLiteral("Bernd"));
        Daten.Benutzer[2].MonatNr = 3;
        Tarife[1].Name.Setze(QStringLiteral("Tag"));
        Tarife[1].Preis = 6;
        Tarife[1].Grundpreis = 5;
        if (anpassen)
            anpassen();
        QVERIFY(SpeichereDaten().Ok);
        QVERIFY(SpeichereTarife().Ok);
        std::memset(&Daten, 0, sizeof Daten);
        std::memset(&Tarife, 0, sizeof Tarife);
    }

    void Starte() { form = std::make_unique<TForm1>(); }

    QList<TDialogAufruf> Eingaben() const
    {
        QList<TDialogAufruf> liste;
        for (const TDialogAufruf& a : umgebung->Dialoge->Protokoll)
            if (a.art == TDialogAufruf::Eingabe)
                liste << a;
        return liste;
    }

private slots:
    void init()
    {
        umgebung.emplace();
        SetzeUhr(ImMaerz);
    }

    void cleanup()
    {
        form.reset();
        InstalliereShellNotify(nullptr);
        umgebung.reset();
    }

    void ersterStartOhneDateien()
    {
        Starte();
        QVERIFY(Eingaben().isEmpty());
        QCOMPARE(umgebung->Dialoge->Meldungen(), QStringList { KeinTarif });
        QCOMPARE(AktBenutzer, 1);
        QCOMPARE(form->Benutzerlabel->text(), "Standardbenutzer");
        QCOMPARE(form->Label1->text(), "Diesen Monat: 0 DM");

        QSignalSpy geschlossen(form.get(), &TForm1::Geschlossen);
        form->Beenden1->trigger();
        QCOMPARE(geschlossen.count(), 1);
        const auto datei = umgebung->GespeicherteDaten();
        QVERIFY(datei);
        QCOMPARE(Lies(DatenDatei()).size(), 2'372'360);
        QCOMPARE(datei->BenutzerAnzahl, 1);
        QCOMPARE(datei->StartBenutzer, 1);
        QCOMPARE(datei->Benutzer[1].Name.Text(), "Standardbenutzer");
        QCOMPARE(datei->Benutzer[1].MonatNr, 3);
        QCOMPARE(Lies(TarifDatei()).size(), 7'524);
        QVERIFY(!form->TrayIcon1);
    }

    void startMitTarifUndMonatsbetrag()
    {
        Vorbereiten([] { Trage(Daten.Benutzer[1].Monate[3], 0, "Tag", 1.25); });
        Starte();
        QVERIFY(umgebung->Dialoge->Protokoll.empty());
        QCOMPARE(form->Benutzerlabel->text(), "Anna");
        QCOMPARE(AktTarif.Name.Text(), "Tag");
        QCOMPARE(form->Label1->text(), "Diesen Monat: 6,25 DM");
    }

    void kennwort_data()
    {
        QTest::addColumn<QList<std::optional<QString>>>("antworten");
        QTest::addColumn<bool>("angemeldet");
        QTest::addColumn<QStringList>("meldungen");
        QTest::newRow("richtig") << QList<std::optional<QString>> { "Geheim" } << true << QStringList {};
        QTest::newRow("falsch, dann richtig") << QList<std::optional<QString>> { "geheim", "Geheim" } << true
                                              << QStringList { "Falsches Kennwort" };
        QTest::newRow("abgebrochen") << QList<std::optional<QString>> { std::nullopt } << false
                                     << QStringList {};
        QTest::newRow("leer, dann richtig")
            << QList<std::optional<QString>> { "", "Geheim" } << true << QStringList { "Falsches Kennwort" };
        QTest::newRow("falsch, dann abgebrochen") << QList<std::optional<QString>> { "Geheim ", std::nullopt }
                                                  << false << QStringList { "Falsches Kennwort" };
    }

    void kennwort()
    {
        QFETCH(QList<std::optional<QString>>, antworten);
        QFETCH(bool, angemeldet);
        QFETCH(QStringList, meldungen);
        Vorbereiten([] {
            Daten.StartBenutzer = 2;
            Daten.Benutzer[2].Kennwort.Setze(QStringLiteral("Geheim"));
            Daten.Benutzer[2].MonatNr = 2; // a roll-over would change the file
        });
        const QByteArray vorher = Lies(DatenDatei());
        for (const auto& a : antworten)
            umgebung->Dialoge->Eingaben.push_back(a);

        Starte();
        const auto eingaben = Eingaben();
        QCOMPARE(eingaben.size(), antworten.size());
        QCOMPARE(eingaben[0].caption, "Kennwort eingeben");
        QCOMPARE(eingaben[0].text, "Geben Sie bitte Ihr Kennwort ein.");
        QCOMPARE(eingaben[0].vorgabe, "");
        QVERIFY(eingaben[0].passwort);
        QCOMPARE(form->StartAbgebrochen(), !angemeldet);
        if (angemeldet) {
            QCOMPARE(AktBenutzer, 2);
            QCOMPARE(form->Benutzerlabel->text(), "Bernd");
            meldungen << KeinTarif;
        }
        else {
            QCOMPARE(AktBenutzer, 0);
            form.reset(); // the program ends here without its close sequence
            QCOMPARE(Lies(DatenDatei()), vorher);
        }
        QCOMPARE(umgebung->Dialoge->Meldungen(), meldungen);
    }

    void startbenutzerAusserhalbMeldetBenutzerEinsAn()
    {
        Vorbereiten([] {
            Daten.StartBenutzer = 4; // left behind by a removed user
            Daten.Benutzer[4].Kennwort.Setze(QStringLiteral("alt"));
        });
        Starte();
        QVERIFY(Eingaben().isEmpty());
        QCOMPARE(AktBenutzer, 1);
        QCOMPARE(form->Benutzerlabel->text(), "Anna");
    }

    void monatswechsel()
    {
        Vorbereiten([] {
            TBenutzer& anna = Daten.Benutzer[1];
            anna.MonatNr = 2;
            Trage(anna.Monate[2], 0, "Tag", 1);
            Trage(anna.Monate[3], 0, "Tag", 7); // March of last year
            anna.Monate[3].SummeKosten = 7;
            Trage(
                Daten.Benutzer[2].Monate[3], 0, "Tag", 3); // Bernd last ran in a March: kept, even a year on
        });
        Starte();
        const TBenutzer& anna = Daten.Benutzer[1];
        QCOMPARE(anna.MonatNr, 3);
        QCOMPARE(AnzahlVerbindungen(anna.Monate[3]), 0);
        QCOMPARE(anna.Monate[3].SummeKosten, 0.0);
        QCOMPARE(AnzahlVerbindungen(anna.Monate[2]), 1);
        QCOMPARE(AnzahlVerbindungen(Daten.Benutzer[2].Monate[3]), 1);
        QCOMPARE(form->Label1->text(), "Diesen Monat: 5 DM");

        // A second start in March empties nothing.
        Trage(Daten.Benutzer[1].Monate[3], 0, "Tag", 2);
        form->close();
        form.reset();
        std::memset(&Daten, 0, sizeof Daten);
        Starte();
        QCOMPARE(AnzahlVerbindungen(Daten.Benutzer[1].Monate[3]), 1);
        QCOMPARE(form->Label1->text(), "Diesen Monat: 7 DM");
    }

    void fensteroptionen()
    {
        Vorbereiten([] { Daten.FensterStil = 3; });
        Starte();
        QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(form->centralWidget()->size(), QSize(171, 129));
        QCOMPARE(form->windowTitle(), "Kostenwolf");
        QCOMPARE(form->TrayIcon1->Hint(), "Kostenwolf - 0,00DM");
        QCOMPARE(form->TrayIcon1->PopupMenu.data(), form->PopupMenu1);

        QStringList menue;
        for (QAction* a : form->Kostenwolf1->actions())
            menue << (a->isSeparator() ? "-" : a->text());
        QCOMPARE(form->Kostenwolf1->title(), "&Kostenwolf");
        QCOMPARE(
            menue, (QStringList { "Konto", "Jahresübersicht", "&Einstellungen", "&Info", "-", "&Beenden" }));
        QCOMPARE(form->ffnen1->text(), "Öffnen");
        QCOMPARE(form->Beenden2->text(), "Beenden");
    }

    void menuesZeigenDieFensterModal()
    {
        Vorbereiten();
        Starte();
        TForm2 einstellungen;
        TForm3 info;
        TForm4 konto;
        QWidget* modal = nullptr;
        auto schliesseGleich = [&] {
            QTimer::singleShot(0, [&] {
                modal = QApplication::activeModalWidget();
                if (modal)
                    modal->close();
            });
        };
        schliesseGleich();
        form->Einstellungen1->trigger();
        QCOMPARE(modal, &einstellungen);
        schliesseGleich();
        form->Info1->trigger();
        QCOMPARE(modal, &info);
        schliesseGleich();
        form->Konto1->trigger();
        QCOMPARE(modal, &konto);
        QVERIFY(!einstellungen.isVisible() && !info.isVisible() && !konto.isVisible());
        // The year view lives only while it is shown.
        QString jahresuebersicht;
        QTimer::singleShot(0, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                jahresuebersicht = w->objectName();
                w->close();
            }
        });
        form->Jahresuebersicht1->trigger();
        QCOMPARE(jahresuebersicht, QStringLiteral("Jahresuebersicht"));
    }

    void homepage()
    {
        form = StarteHauptfenster(*umgebung->Dialoge);
        QVERIFY(form);
        form->show();
        QTest::mouseClick(form->URLLabel, Qt::LeftButton);
        QCOMPARE(*umgebung->Shell, QStringList { HerstellerHomepage() });
    }

    void minimiertStartenMitTray()
    {
        InstalliereShellNotify(std::make_unique<TTrayVorhanden>());
        Vorbereiten([] { Daten.MinimiertStarten = 1; });
        Starte();
        QVERIFY(form->TrayIcon1->IconAngezeigt());
        form->ZeigeBeimStart();
        QVERIFY(!form->isVisible());
        form->ffnen1->trigger();
        QVERIFY(form->isVisible());
        QVERIFY(!form->isMinimized());

        // Minimizing hides the window again; a double click on the icon brings it back.
        form->setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(!form->isVisible());
        form->TrayIcon1->OnDblClick(form->TrayIcon1);
        QVERIFY(form->isVisible());
    }

    void ohneTrayBleibtDasFensterErreichbar()
    {
        TShellNotifyAufzeichnung& shell = ZeichneShellNotifyAuf();
        shell.Infobereich = false; // started before the panel, as by the session's autostart
        Vorbereiten([] { Daten.MinimiertStarten = 1; });
        Starte();
        QVERIFY(!form->TrayIcon1->IconAngezeigt());
        form->ZeigeBeimStart();
        QVERIFY(form->isVisible());
        QVERIFY(form->isMinimized());

        // The panel comes up: the icon joins it and takes the window in.
        shell.InfobereichKommt();
        QVERIFY(form->TrayIcon1->IconAngezeigt());
        QCOMPARE(shell.Symbole.size(), size_t(1));
        QCOMPARE(TipText(shell.Symbole.begin()->second), "Kostenwolf - 0,00DM");
        QVERIFY(!form->isVisible());

        // It goes away: the window comes back onto the taskbar and stays there.
        shell.InfobereichGeht();
        QVERIFY(form->isVisible());
        QVERIFY(form->isMinimized());
        form->ffnen1->trigger();
        QVERIFY(!form->isMinimized());
        form->setWindowState(Qt::WindowMinimized);
        QTest::qWait(20);
        QVERIFY(form->isVisible());
    }

    void jedesEndeSpeichertBeideDateien_data()
    {
        QTest::addColumn<QString>("weg");
        QTest::newRow("&Beenden") << "Beenden1";
        QTest::newRow("Beenden im Tray-Menü") << "Beenden2";
        QTest::newRow("Schließfeld") << "close";
        QTest::newRow("Ende der Desktop-Sitzung") << "Sitzungsende";
    }

    void jedesEndeSpeichertBeideDateien()
    {
        QFETCH(QString, weg);
        Vorbereiten();
        Starte();
        Tarife[2].Name.Setze(QStringLiteral("Neu"));
        Daten.FensterStil = 3;
        QSignalSpy geschlossen(form.get(), &TForm1::Geschlossen);
        if (weg == "close") {
            form->close();
        }
        else if (weg == "Sitzungsende") {
            VerbindeSitzungsende(*qApp, *form);
            auto* sitzung = qApp->findChild<QSessionManager*>();
            QVERIFY(sitzung);
            emit qApp->commitDataRequest(*sitzung);
        }
        else
            form->findChild<QAction*>(weg)->trigger();
        QCOMPARE(geschlossen.count(), 1);
        QCOMPARE(umgebung->GespeicherteDaten()->FensterStil, 3);
        const QByteArray tarife = Lies(TarifDatei());
        TTarifTabelle gelesen;
        std::memcpy(&gelesen, tarife.constData(), sizeof gelesen);
        QCOMPARE(gelesen[2].Name.Text(), "Neu");
    }

    void schliessenWaehrendDerVerbindungProtokolliert()
    {
        Vorbereiten();
        Starte();
        form->InternetDetect1->SetConnected(true);
        form->InternetDetect1Connect(nullptr);
        const QString journal = umgebung->Pfad(QStringLiteral("Verbindung.kwj"));
        QVERIFY(QFile::exists(journal));
        SetzeUhr(ImMaerz + 90 / 86'400.0);
        form->close();
        QVERIFY(!QFile::exists(journal));
        QVERIFY(!form->InternetDetect1->Connected());
        QVERIFY(umgebung->Dialoge->Meldungen().isEmpty());
        const auto datei = umgebung->GespeicherteDaten();
        const TVerbindung& v = datei->Benutzer[1].Monate[3].Verbindungen[0];
        QCOMPARE(v.Tarif.Text(), "Tag");
        QCOMPARE(v.Kosten, 0.12); // two started minutes at 6 Pf, priced at the close
        QCOMPARE(v.Dauer, 90 / 86'400.0);
        QCOMPARE(v.Datum, ImMaerz + 90 / 86'400.0); // logged at the close
    }

    void fehlgeschlagenesSpeichernBeimEndeWirdGemeldet()
    {
        Starte();
        QVERIFY(QFile::remove(DatenDatei()));
        QVERIFY(QDir(umgebung->Verzeichnis.path()).mkdir(QStringLiteral("Daten.kwd")));
        QSignalSpy geschlossen(form.get(), &TForm1::Geschlossen);
        form->close();
        QCOMPARE(geschlossen.count(), 1);
        const QStringList meldungen = umgebung->Dialoge->Meldungen();
        QCOMPARE(meldungen.size(), 2);
        QVERIFY(meldungen[1].startsWith("Die Daten konnten nicht gespeichert werden: "));
    }

    void journalEinesAnderenBenutzersWirdNachDerAnmeldungProtokolliert()
    {
        Vorbereiten([] { Daten.Benutzer[1].Kennwort.Setze(QStringLiteral("pw")); });
        TJournal j;
        j.Benutzer = 2;
        j.Tarif.Name.Setze(QStringLiteral("Alt"));
        j.Tarif.Preis = 2;
        j.Beginn = EncodeDate(2026, 3, 13) + EncodeTime(23, 0, 0, 0);
        j.DauerMs = 5 * 60'000;
        const QString journal = umgebung->Pfad(QStringLiteral("Verbindung.kwj"));
        QFile datei(journal);
        QVERIFY(datei.open(QIODevice::WriteOnly));
        datei.write(KodiereJournal(j));
        datei.close();
        // Nothing is logged before the login has gone through.
        umgebung->Dialoge->Eingaben.push_back(QStringLiteral("pw"));
        umgebung->Dialoge->BeiAnzeige = [&](const TDialogAufruf& a) {
            if (a.art == TDialogAufruf::Eingabe)
                QVERIFY(QFile::exists(journal));
        };
        Starte();

        QCOMPARE(umgebung->Dialoge->Meldungen(),
            QStringList { "Eine Verbindung wurde nicht ordnungsgemäß beendet und bis zur letzten Sicherung "
                          "protokolliert: 13.03.2026 23:00:00, 00:05:00, 0,1 DM" });
        QVERIFY(!QFile::exists(journal));
        const auto datei2 = umgebung->GespeicherteDaten();
        QVERIFY(datei2);
        QCOMPARE(AnzahlVerbindungen(datei2->Benutzer[2].Monate[3]), 1);
        QCOMPARE(datei2->Benutzer[2].Monate[3].Verbindungen[0].Kosten, 0.1);
        QCOMPARE(AnzahlVerbindungen(datei2->Benutzer[1].Monate[3]), 0);
        QCOMPARE(form->Benutzerlabel->text(), "Anna");
        QCOMPARE(form->Label1->text(), "Diesen Monat: 5 DM");
    }

    void beschaedigtesJournalHaeltDenStartNichtAuf()
    {
        Vorbereiten();
        const QString journal = umgebung->Pfad(QStringLiteral("Verbindung.kwj"));
        QFile datei(journal);
        QVERIFY(datei.open(QIODevice::WriteOnly));
        datei.write("\x00\x01 kein Journal");
        datei.close();
        Starte();
        QCOMPARE(umgebung->Dialoge->Meldungen().size(), 1);
        QVERIFY(umgebung->Dialoge->Meldungen()[0].endsWith("als Verbindung.kwj.defekt beiseitegelegt."));
        QVERIFY(!QFile::exists(journal));
        QVERIFY(QFile::exists(umgebung->Pfad(QStringLiteral("Verbindung.kwj.defekt"))));
        QCOMPARE(form->Benutzerlabel->text(), "Anna");

        // The next connection keeps its own journal again.
        form->InternetDetect1Connect(nullptr);
        QCOMPARE(LeseJournal(journal).art, TJournalFund::Gueltig);
        form->InternetDetect1Disconnect(nullptr);
        QVERIFY(!QFile::exists(journal));
    }

    void verbindungWaehrendDerAnmeldungWirdNachgeholt()
    {
        Vorbereiten([] { Daten.Benutzer[1].Kennwort.Setze(QStringLiteral("pw")); });
        umgebung->Dialoge->Eingaben.push_back(QStringLiteral("pw"));
        umgebung->Dialoge->BeiAnzeige = [](const TDialogAufruf&) {
            auto* f = qobject_cast<TForm1*>(Application().MainForm.data());
            f->InternetDetect1Connect(nullptr);
            QVERIFY(!f->Timer1->isActive());
            SetzeUhr(ImMaerz + 120 / 86'400.0);
        };
        Starte();
        QVERIFY(form->Timer1->isActive());
        QCOMPARE(form->ZeitLabel->text(), "00:02:00");
        QCOMPARE(form->KostenLabel->text(), "0,12 DM");
    }

    void beendeteVerbindungWaehrendDerAnmeldungWirdProtokolliert()
    {
        Vorbereiten([] { Daten.Benutzer[1].Kennwort.Setze(QStringLiteral("pw")); });
        umgebung->Dialoge->Eingaben.push_back(QStringLiteral("falsch"));
        umgebung->Dialoge->Eingaben.push_back(QStringLiteral("pw"));
        int schritt = 0;
        umgebung->Dialoge->BeiAnzeige = [&](const TDialogAufruf&) {
            auto* f = qobject_cast<TForm1*>(Application().MainForm.data());
            if (schritt == 0) {
                f->InternetDetect1Connect(nullptr);
                SetzeUhr(ImMaerz + 61 / 86'400.0);
                f->InternetDetect1Disconnect(nullptr);
                QCOMPARE(AnzahlVerbindungen(Daten.Benutzer[1].Monate[3]), 0);
            }
            ++schritt;
        };
        Starte();
        QVERIFY(!form->Timer1->isActive());
        QTRY_VERIFY(!form->MeldungenAnstehend());
        QCOMPARE(AnzahlVerbindungen(Daten.Benutzer[1].Monate[3]), 1);
        QCOMPARE(Daten.Benutzer[1].Monate[3].Verbindungen[0].Kosten, 0.12);
        QCOMPARE(AnzahlVerbindungen(Daten.Benutzer[1].Monate[0]), 0);
        QCOMPARE(umgebung->Dialoge->Meldungen().last(), "Die Verbindung kostete: 0,12 DM");
        QCOMPARE(form->Label1->text(), "Diesen Monat: 5,12 DM");
    }

    void signaleSchliessenGeordnet()
    {
        int aufrufe = 0;
        QVERIFY(LeiteBeendenSignaleUm([&] { ++aufrufe; }));
        ::raise(SIGTERM);
        QTRY_COMPARE(aufrufe, 1);
        ::raise(SIGINT);
        QTRY_COMPARE(aufrufe, 2);
        QVERIFY(LeiteBeendenSignaleUm([] {}));
    }
};

QTEST_MAIN(TestHauptStart)
#include "tst_haupt_start.moc"
