// The settings window as a whole and its tariff pages, clicked through on the
// offscreen platform with the scriptable dialogs.
#include "app/Haupt.h"
#include "app/Programm.h"
#include "core/TarifVerwaltung.h"
#include "settings/BenutzerSeite.h"
#include "settings/ProgrammSeite.h"
#include "settings/Settings.h"
#include "settings/TarifSeite.h"
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/Hauptfenster.h"
#include "support/Testumgebung.h"
#include "support/Umgebungsvariable.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <cstring>
#include <memory>

class TestEinstellungen : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestumgebung> umgebung;
    std::unique_ptr<TForm2> fenster;

    TTestDialoge& dialoge() { return *umgebung->Dialoge; }

    static void Belege(int slot, const QString& name, double preis = 1, double einwahl = 0, double grund = 0)
    {
        Tarife[slot].Name.Setze(name);
        Tarife[slot].Preis = preis;
        Tarife[slot].Einwahl = einwahl;
        Tarife[slot].Grundpreis = grund;
    }

    // Creates the window as the program does after start-up, and opens it.
    TForm2& Oeffne()
    {
        fenster = std::make_unique<TForm2>();
        fenster->show();
        fenster->FormActivate(fenster.get());
        return *fenster;
    }

    QStringList Zeilen(const QListWidget* liste) const
    {
        QStringList z;
        for (int i = 0; i < liste->count(); ++i)
            z << liste->item(i)->text();
        return z;
    }

    QString Ausgewaehlt(const QListWidget* liste) const
    {
        const auto auswahl = liste->selectedItems();
        return auswahl.isEmpty() ? QString() : auswahl.first()->text();
    }

    void Waehle(QListWidget* liste, const QString& text)
    {
        const auto treffer = liste->findItems(text, Qt::MatchExactly);
        QVERIFY(!treffer.isEmpty());
        liste->setCurrentItem(treffer.first());
    }

    QList<bool> SichtbareTabs() const
    {
        QList<bool> sichtbar;
        for (int i = 0; i < fenster->PageControl1->count(); ++i)
            sichtbar << fenster->PageControl1->isTabVisible(i);
        return sichtbar;
    }

    void NeuerTarifEingeben(const QString& name, const QString& preis,
        const QString& einwahl = QStringLiteral("0"), const QString& grund = QStringLiteral("0"))
    {
        fenster->TabTarife->NewTarif->click();
        fenster->TabTarife->EName->setText(name);
        fenster->TabTarife->EPreis->setText(preis);
        fenster->TabTarife->EEinwahl->setText(einwahl);
        fenster->TabTarife->EGrundpreis->setText(grund);
        fenster->TabTarife->OKBtn->click();
    }

private slots:
    void init()
    {
        umgebung = std::make_unique<TTestumgebung>();
        Daten.BenutzerAnzahl = 1;
        Daten.StartBenutzer = 1;
        Daten.Benutzer[1].Name.Setze(QStringLiteral("Standardbenutzer"));
        AktBenutzer = 1;
    }

    void cleanup()
    {
        fenster.reset();
        umgebung.reset();
    }

    void aufbau()
    {
        TForm2& f = Oeffne();
        QCOMPARE(Form2, &f);
        // The design's size; taller only as far as the program page's lines need it.
        QCOMPARE(f.width(), 407);
        QVERIFY(f.height() >= 235 && f.height() <= 260);
        QCOMPARE(f.windowTitle(), QStringLiteral("Einstellungen - Standardbenutzer"));
        QCOMPARE(f.TreeView1->width(), 136);
        QCOMPARE(f.TreeView1->topLevelItemCount(), 3);
        QCOMPARE(f.TreeView1->topLevelItem(0)->text(0), QStringLiteral("Tarife"));
        QCOMPARE(f.TreeView1->topLevelItem(1)->text(0), QStringLiteral("Programm"));
        QCOMPARE(f.TreeView1->topLevelItem(2)->text(0), QStringLiteral("Benutzer"));
        const QList<QWidget*> seiten { f.TabTarife, f.TabNewTarif, f.TabUpdate, f.TabBenutzer,
            f.TabProgramm };
        for (int i = 0; i < seiten.size(); ++i)
            QCOMPARE(f.PageControl1->widget(i), seiten[i]);
        for (const char* name :
            { "TarifList", "SelectTarif", "NewTarif", "EditTarif", "DeleteTarif", "DeleteAllTarifs",
                "SchliessenBtn1", "EName", "EPreis", "EEinwahl", "EGrundpreis", "OKBtn", "AbortBtn",
                "URLLabel1", "URLLabel2", "BenutzerList", "Label7", "EPasswort", "BenutzerwechselnBtn",
                "NeuerBenutzerBtn", "BenutzerloeschenBtn", "SchliessenBtn2", "CheckBox1", "MiniStartBox",
                "RadioButton1", "RadioButton2", "RadioButton3", "RadioButton4", "SchliessenBtn3" })
            QVERIFY2(f.findChild<QWidget*>(QString::fromLatin1(name)), name);
        QCOMPARE(f.TabProgramm->SchliessenBtn3->text(), QStringLiteral("&Schließen"));

        // The first opening shows the tariffs, with their tab alone.
        QCOMPARE(f.TreeView1->currentItem(), f.TreeView1->topLevelItem(0));
        QCOMPARE(f.PageControl1->currentWidget(), f.TabTarife);
        QCOMPARE(SichtbareTabs(), (QList<bool> { true, false, false, false, false }));
    }

    void verbindungsquelleAufDerProgrammseite()
    {
        TUmgebungsvariable simulation("KOSTENWOLF_RAS_SIMULATION", QByteArray("/tmp/kw-verbindung"));
        TUmgebungsvariable muster("KOSTENWOLF_INTERFACES", QByteArray("wwan*, ppp*"));
        TForm2& f = Oeffne();
        f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(1));
        QCOMPARE(f.TabProgramm->VerbindungsquelleLabel->text(),
            QStringLiteral("Verbindungsquelle: Simulation /tmp/kw-verbindung"));

        // Without a simulation and without NetworkManager (no system bus under test);
        // the page says so the next time it is chosen.
        simulation.Setze(std::nullopt);
        f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(0));
        f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(1));
        QCOMPARE(f.TabProgramm->VerbindungsquelleLabel->text(),
            QStringLiteral("Verbindungsquelle: Netzwerkschnittstellen wwan*, ppp*"));
        QVERIFY(f.TabProgramm->VerbindungsquelleLabel->isVisible());
    }

    void baumUndSeiten()
    {
        TForm2& f = Oeffne();
        f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(2));
        QCOMPARE(f.PageControl1->currentWidget(), f.TabBenutzer);
        QCOMPARE(SichtbareTabs(), (QList<bool> { false, false, false, true, false }));
        f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(1));
        QCOMPARE(f.PageControl1->currentWidget(), f.TabProgramm);
        QCOMPARE(SichtbareTabs(), (QList<bool> { false, false, false, false, true }));

        // An entry in progress is dropped by the tree.
        f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(0));
        f.TabTarife->NewTarif->click();
        QCOMPARE(SichtbareTabs(), (QList<bool> { true, true, false, false, false }));
        QCOMPARE(f.PageControl1->currentWidget(), f.TabNewTarif);
        QCOMPARE(f.PageControl1->tabText(1), QStringLiteral("Neuer Tarif"));
        f.TabTarife->EName->setText(QStringLiteral("Halb"));
        f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(2));
        QCOMPARE(SichtbareTabs(), (QList<bool> { false, false, false, true, false }));
        QVERIFY(TarifNamen().isEmpty());

        // Closed and opened again: the window is as it was left.
        f.close();
        QVERIFY(!f.isVisible());
        f.show();
        QCOMPARE(f.PageControl1->currentWidget(), f.TabBenutzer);
    }

    void neuerTarifInDenErstenFreienPlatz()
    {
        Belege(1, QStringLiteral("Eins"));
        Belege(3, QStringLiteral("Drei"));
        TForm2& f = Oeffne();
        QCOMPARE(Zeilen(f.TabTarife->TarifList), (QStringList { "Eins", "Drei" }));

        f.TabTarife->NewTarif->click();
        QCOMPARE(f.TabTarife->EName->text(), QString());
        QCOMPARE(f.TabTarife->EPreis->text(), QStringLiteral("0"));
        QCOMPARE(f.TabTarife->EEinwahl->text(), QStringLiteral("0"));
        QCOMPARE(f.TabTarife->EGrundpreis->text(), QStringLiteral("0"));
        f.TabTarife->EName->setText(QStringLiteral("Zwei"));
        f.TabTarife->EPreis->setText(QStringLiteral("2,5"));
        f.TabTarife->EEinwahl->setText(QStringLiteral("6"));
        f.TabTarife->EGrundpreis->setText(QStringLiteral("9,9"));
        f.TabTarife->OKBtn->click();

        QCOMPARE(Tarife[2].Name.Text(), QStringLiteral("Zwei"));
        QCOMPARE(Tarife[2].Preis, 2.5);
        QCOMPARE(Tarife[2].Einwahl, 6.0);
        QCOMPARE(Tarife[2].Grundpreis, 9.9);
        QCOMPARE(Zeilen(f.TabTarife->TarifList), (QStringList { "Eins", "Drei", "Zwei" }));
        QCOMPARE(SichtbareTabs(), (QList<bool> { true, false, false, false, false }));
        QCOMPARE(f.PageControl1->currentWidget(), f.TabTarife);
        QVERIFY(dialoge().Meldungen().isEmpty());

        f.FormActivate(&f);
        QCOMPARE(Zeilen(f.TabTarife->TarifList), (QStringList { "Eins", "Zwei", "Drei" }));
    }

    void langerName()
    {
        TForm2& f = Oeffne();
        NeuerTarifEingeben(QString(60, QLatin1Char('n')), QStringLiteral("1"));
        QCOMPARE(Tarife[1].Name.Text(), QString(50, QLatin1Char('n')));
        QCOMPARE(Zeilen(f.TabTarife->TarifList), QStringList { QString(50, QLatin1Char('n')) });
    }

    void waehlenNachNameNichtNachPosition()
    {
        Belege(2, QStringLiteral("Zwei"), 2);
        Belege(3, QStringLiteral("Drei"), 3.3, 5, 7);
        TForm2& f = Oeffne();
        QCOMPARE(f.TabTarife->TarifList->selectedItems().size(), 0);
        Waehle(f.TabTarife->TarifList, QStringLiteral("Drei"));
        f.TabTarife->SelectTarif->click();
        QCOMPARE(Daten.Benutzer[1].TarifNr, 3);
        QCOMPARE(AktTarif.Name.Text(), QStringLiteral("Drei"));
        QCOMPARE(AktTarif.Preis, 3.3);
        QCOMPARE(Ausgewaehlt(f.TabTarife->TarifList), QStringLiteral("Drei"));
        QVERIFY(dialoge().Meldungen().isEmpty());

        // The slot number, not the line, survives a restart; the choice wrote the tariffs.
        f.close();
        std::memset(&Daten, 0, sizeof Daten);
        std::memset(&Tarife, 0, sizeof Tarife);
        std::memset(&AktTarif, 0, sizeof AktTarif);
        QCOMPARE(LadeDaten().art, TLadeErgebnis::Geladen);
        QCOMPARE(LadeTarife().art, TLadeErgebnis::Geladen);
        SetzeAktTarif(Daten.Benutzer[1].TarifNr);
        QCOMPARE(AktTarif.Name.Text(), QStringLiteral("Drei"));
        QCOMPARE(AktTarif.Grundpreis, 7.0);
    }

    // Two slots may bear one name (a file written elsewhere): each line acts on its own.
    void gleichnamigeTarifeNachZeile()
    {
        Belege(1, QStringLiteral("Doppelt"), 1);
        Belege(3, QStringLiteral("Doppelt"), 3);
        TForm2& f = Oeffne();
        f.TabTarife->TarifList->setCurrentRow(1);
        f.TabTarife->SelectTarif->click();
        QCOMPARE(Daten.Benutzer[1].TarifNr, 3);
        f.TabTarife->TarifList->setCurrentRow(1);
        f.TabTarife->DeleteTarif->click();
        QVERIFY(Tarife[3].Name.Leer());
        QCOMPARE(Tarife[1].Name.Text(), QStringLiteral("Doppelt"));
    }

    // A tariff made in the editor is on disk once the window closes: a crash loses nothing.
    void neueTarifeSindNachDemSchliessenGeschrieben()
    {
        TForm2& f = Oeffne();
        NeuerTarifEingeben(QStringLiteral("Neu"), QStringLiteral("1,5"));
        f.close();
        std::memset(&Tarife, 0, sizeof Tarife);
        QCOMPARE(LadeTarife().art, TLadeErgebnis::Geladen);
        QCOMPARE(Tarife[1].Name.Text(), QStringLiteral("Neu"));
    }

    void bearbeitenUndUmbenennen()
    {
        Belege(1, QStringLiteral("Eins"));
        Belege(2, QStringLiteral("Zwei"), 4.8, 6, 9.9);
        Daten.Benutzer[1].TarifNr = 2;
        SetzeAktTarif(2);
        TForm2& f = Oeffne();
        QCOMPARE(Ausgewaehlt(f.TabTarife->TarifList), QStringLiteral("Zwei"));

        f.TabTarife->EditTarif->click();
        QCOMPARE(f.PageControl1->tabText(1), QStringLiteral("Tarif bearbeiten"));
        QCOMPARE(f.PageControl1->currentWidget(), f.TabNewTarif);
        QCOMPARE(f.TabTarife->EName->text(), QStringLiteral("Zwei"));
        QCOMPARE(f.TabTarife->EPreis->text(), QStringLiteral("4,8"));
        QCOMPARE(f.TabTarife->EEinwahl->text(), QStringLiteral("6"));
        QCOMPARE(f.TabTarife->EGrundpreis->text(), QStringLiteral("9,9"));

        f.TabTarife->EName->setText(QStringLiteral("Zwei billig"));
        f.TabTarife->EPreis->setText(QStringLiteral("1,5"));
        f.TabTarife->OKBtn->click();
        QCOMPARE(Tarife[2].Name.Text(), QStringLiteral("Zwei billig"));
        QCOMPARE(Tarife[2].Preis, 1.5);
        QCOMPARE(Zeilen(f.TabTarife->TarifList), (QStringList { "Eins", "Zwei billig" }));
        QCOMPARE(Ausgewaehlt(f.TabTarife->TarifList), QStringLiteral("Zwei billig"));
        QCOMPARE(Daten.Benutzer[1].TarifNr, 2);
        // Pricing keeps the old copy until the tariff is chosen again.
        QCOMPARE(AktTarif.Preis, 4.8);
        f.TabTarife->SelectTarif->click();
        QCOMPARE(AktTarif.Preis, 1.5);
        QCOMPARE(AktTarif.Name.Text(), QStringLiteral("Zwei billig"));
    }

    void falscheZahlSpeichertNichts_data()
    {
        QTest::addColumn<bool>("neu");
        QTest::addColumn<QString>("preis");
        QTest::addColumn<QString>("grund");
        QTest::addColumn<QString>("meldung");
        QTest::addColumn<QString>("feld");
        QTest::newRow("neu, leeres Feld") << true << ""
                                          << "0"
                                          << "'' ist kein gültiger Fließkommawert"
                                          << "EPreis";
        QTest::newRow("neu, Dezimalpunkt") << true << "1"
                                           << "9.9"
                                           << "'9.9' ist kein gültiger Fließkommawert"
                                           << "EGrundpreis";
        QTest::newRow("bearbeiten, Dezimalpunkt") << false << "4.8"
                                                  << "0"
                                                  << "'4.8' ist kein gültiger Fließkommawert"
                                                  << "EPreis";
    }

    void falscheZahlSpeichertNichts()
    {
        QFETCH(bool, neu);
        QFETCH(QString, preis);
        QFETCH(QString, grund);
        QFETCH(QString, meldung);
        QFETCH(QString, feld);
        Belege(1, QStringLiteral("Eins"), 1);
        Belege(2, QStringLiteral("Zwei"), 2);
        Daten.Benutzer[1].TarifNr = 1;
        TTarifTabelle vorher;
        std::memcpy(&vorher, &Tarife, sizeof Tarife);
        TForm2& f = Oeffne();
        f.activateWindow();

        if (neu) {
            f.TabTarife->NewTarif->click();
            f.TabTarife->EName->setText(QStringLiteral("Drei"));
        }
        else {
            Waehle(f.TabTarife->TarifList, QStringLiteral("Zwei"));
            f.TabTarife->EditTarif->click();
            f.TabTarife->EName->setText(QStringLiteral("Zwei neu"));
        }
        f.TabTarife->EPreis->setText(preis);
        f.TabTarife->EGrundpreis->setText(grund);
        f.TabTarife->OKBtn->click();

        QCOMPARE(dialoge().Meldungen(), QStringList { meldung });
        QCOMPARE(std::memcmp(&vorher, &Tarife, sizeof Tarife), 0);
        QCOMPARE(f.PageControl1->currentWidget(), f.TabNewTarif);
        QCOMPARE(Zeilen(f.TabTarife->TarifList), (QStringList { "Eins", "Zwei" }));
        QCOMPARE(f.focusWidget(), f.findChild<QWidget*>(feld));

        // The message box has put the list's selection back on the user's tariff;
        // the corrected entry still goes where it was meant to.
        QCOMPARE(Ausgewaehlt(f.TabTarife->TarifList), QStringLiteral("Eins"));
        f.TabTarife->EPreis->setText(QStringLiteral("3"));
        f.TabTarife->EGrundpreis->setText(QStringLiteral("0"));
        f.TabTarife->OKBtn->click();
        if (neu) {
            QCOMPARE(Tarife[3].Name.Text(), QStringLiteral("Drei"));
            QCOMPARE(Zeilen(f.TabTarife->TarifList), (QStringList { "Eins", "Zwei", "Drei" }));
        }
        else {
            QCOMPARE(Tarife[2].Name.Text(), QStringLiteral("Zwei neu"));
            QCOMPARE(Tarife[2].Preis, 3.0);
            QCOMPARE(Tarife[1].Name.Text(), QStringLiteral("Eins"));
            QCOMPARE(Tarife[1].Preis, 1.0);
            QCOMPARE(Zeilen(f.TabTarife->TarifList), (QStringList { "Eins", "Zwei neu" }));
        }
    }

    void leereUndDoppelteNamen()
    {
        Belege(1, QStringLiteral("Eins"));
        TForm2& f = Oeffne();
        NeuerTarifEingeben(QString(), QStringLiteral("1"));
        NeuerTarifEingeben(QStringLiteral("Eins"), QStringLiteral("1"));
        QCOMPARE(dialoge().Meldungen(),
            (QStringList { "Bitte geben Sie einen Namen für den Tarif ein.",
                "Ein Tarif mit diesem Namen existiert bereits." }));
        QCOMPARE(TarifNamen(), QStringList { "Eins" });
        QCOMPARE(Zeilen(f.TabTarife->TarifList), QStringList { "Eins" });
        QCOMPARE(f.focusWidget(), f.TabTarife->EName);
        f.TabTarife->AbortBtn->click();
        QCOMPARE(SichtbareTabs(), (QList<bool> { true, false, false, false, false }));
    }

    void neunundneunzigTarife()
    {
        for (int k = 1; k <= MaxTarife; ++k)
            Belege(k, QStringLiteral("T%1").arg(k));
        TTarifTabelle vorher;
        std::memcpy(&vorher, &Tarife, sizeof Tarife);
        TForm2& f = Oeffne();
        NeuerTarifEingeben(QStringLiteral("Hundert"), QStringLiteral("1"));
        QCOMPARE(dialoge().Meldungen(),
            QStringList { "Es gibt schon 99 Tarife! Sie können keinen weiteren hinzufügen!" });
        QCOMPARE(std::memcmp(&vorher, &Tarife, sizeof Tarife), 0);
        QCOMPARE(f.TabTarife->TarifList->count(), 99);
        QCOMPARE(f.PageControl1->currentWidget(), f.TabTarife);
    }

    void alleLoeschen_data()
    {
        QTest::addColumn<QList<int>>("antworten");
        QTest::addColumn<int>("fragen");
        QTest::addColumn<bool>("geloescht");
        QTest::newRow("Nein") << QList<int> { mrNo } << 1 << false;
        QTest::newRow("Ja, Nein") << QList<int> { mrYes, mrNo } << 2 << false;
        QTest::newRow("Ja, Ja") << QList<int> { mrYes, mrYes } << 2 << true;
    }

    void alleLoeschen()
    {
        QFETCH(QList<int>, antworten);
        QFETCH(int, fragen);
        QFETCH(bool, geloescht);
        Belege(1, QStringLiteral("Eins"), 4.8);
        Belege(2, QStringLiteral("Zwei"));
        Daten.Benutzer[1].TarifNr = 1;
        SetzeAktTarif(1);
        TForm2& f = Oeffne();
        dialoge().Knopfantworten.assign(antworten.begin(), antworten.end());
        f.TabTarife->DeleteAllTarifs->click();

        const auto& p = dialoge().Protokoll;
        QCOMPARE(int(p.size()), fragen + (geloescht ? 1 : 0));
        QCOMPARE(p[0].text,
            QStringLiteral(
                "Wollen Sie alle Tarife löschen? Dieser Schritt kann nicht rückgängig gemacht werden!"));
        QCOMPARE(p[0].caption, QStringLiteral("Bestätigen"));
        if (fragen == 2) {
            QCOMPARE(p[1].text,
                QStringLiteral("ACHTUNG! Sollen alle Tarifangaben unwiederruflich gelöscht werden?"));
            QCOMPARE(p[1].caption, QStringLiteral("Warnung"));
            QCOMPARE(p[1].knoepfe, mbYes | mbNo);
        }
        if (geloescht) {
            QCOMPARE(p[2].text, QStringLiteral("Es wurden alle Tarife gelöscht"));
            QVERIFY(TarifNamen().isEmpty());
            QCOMPARE(f.TabTarife->TarifList->count(), 0);
        }
        else {
            QCOMPARE(TarifNamen(), (QStringList { "Eins", "Zwei" }));
            QCOMPARE(Zeilen(f.TabTarife->TarifList), (QStringList { "Eins", "Zwei" }));
        }
        // Nobody's choice and no copy is touched.
        QCOMPARE(Daten.Benutzer[1].TarifNr, 1);
        QCOMPARE(AktTarif.Preis, 4.8);
    }

    void loeschen()
    {
        Belege(1, QStringLiteral("Eins"));
        Belege(2, QStringLiteral("Zwei"), 2.2);
        Daten.Benutzer[1].TarifNr = 2;
        SetzeAktTarif(2);
        TForm2& f = Oeffne();
        Waehle(f.TabTarife->TarifList, QStringLiteral("Zwei"));
        f.TabTarife->DeleteTarif->click();
        QVERIFY(dialoge().Meldungen().isEmpty());
        QCOMPARE(Zeilen(f.TabTarife->TarifList), QStringList { "Eins" });
        QCOMPARE(f.TabTarife->TarifList->selectedItems().size(), 0); // the user's tariff is gone
        QVERIFY(Tarife[2].Name.Leer());
        QCOMPARE(Daten.Benutzer[1].TarifNr, 2);
        QCOMPARE(AktTarif.Preis, 2.2);
    }

    void leereListe()
    {
        TForm2& f = Oeffne();
        for (QPushButton* knopf :
            { f.TabTarife->EditTarif, f.TabTarife->DeleteTarif, f.TabTarife->SelectTarif })
            knopf->click();
        QCOMPARE(dialoge().Meldungen(),
            (QStringList { "Kein Tarif vorhanden", "Kein Tarif vorhanden", "Kein Tarif vorhanden" }));
        QCOMPARE(f.PageControl1->currentWidget(), f.TabTarife);
        QCOMPARE(Daten.Benutzer[1].TarifNr, 0);
    }

    void keineZeileAusgewaehlt()
    {
        Belege(1, QStringLiteral("Eins"));
        TForm2& f = Oeffne();
        QCOMPARE(f.TabTarife->TarifList->selectedItems().size(), 0);
        const QString meldung = QStringLiteral("Der Index der Liste überschreitet das Maximum (-1)");
        f.TabTarife->SelectTarif->click();
        f.TabTarife->DeleteTarif->click();
        QCOMPARE(dialoge().Meldungen(), (QStringList { meldung, meldung }));
        QCOMPARE(Daten.Benutzer[1].TarifNr, 0);
        QCOMPARE(TarifNamen(), QStringList { "Eins" });

        // Edit has brought its page up before it finds no line; OK then changes nothing.
        f.TabTarife->EditTarif->click();
        QCOMPARE(f.PageControl1->currentWidget(), f.TabNewTarif);
        f.TabTarife->EName->setText(QStringLiteral("Anders"));
        f.TabTarife->OKBtn->click();
        QCOMPARE(dialoge().Meldungen().size(), 4);
        QCOMPARE(TarifNamen(), QStringList { "Eins" });
    }

    void listeNachMeldungNeuGefuellt()
    {
        Belege(1, QStringLiteral("Eins"));
        Belege(2, QStringLiteral("Zwei"));
        Daten.Benutzer[1].TarifNr = 2;
        TForm2& f = Oeffne();
        Waehle(f.TabTarife->TarifList, QStringLiteral("Eins"));
        // A tariff added behind the list's back shows up after the next message.
        Belege(3, QStringLiteral("Drei"));
        f.TabTarife->DeleteAllTarifs->click(); // "Nein"
        QCOMPARE(Zeilen(f.TabTarife->TarifList), (QStringList { "Eins", "Zwei", "Drei" }));
        QCOMPARE(Ausgewaehlt(f.TabTarife->TarifList), QStringLiteral("Zwei"));
    }

    void feldKlickMarkiertAlles()
    {
        TForm2& f = Oeffne();
        f.TabTarife->NewTarif->click();
        f.TabTarife->EPreis->setText(QStringLiteral("12,5"));
        QTest::mouseClick(f.TabTarife->EPreis, Qt::LeftButton);
        QCOMPARE(f.TabTarife->EPreis->selectedText(), QStringLiteral("12,5"));
    }

    void programmSeite()
    {
        Daten.BenutzerAnzahl = 2;
        Daten.Benutzer[2].Name.Setze(QStringLiteral("Tom & Jerry"));
        Daten.StartBenutzer = 0;
        Daten.MinimiertStarten = 1;
        TForm2& f = Oeffne();
        f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(1));
        QCOMPARE(f.TabProgramm->RadioButton1->text(), QStringLiteral("Standardbenutzer"));
        QCOMPARE(f.TabProgramm->RadioButton2->text(), QStringLiteral("Tom && Jerry"));
        QVERIFY(f.TabProgramm->RadioButton1->isVisible());
        QVERIFY(f.TabProgramm->RadioButton2->isVisible());
        QVERIFY(!f.TabProgramm->RadioButton3->isVisible());
        QVERIFY(!f.TabProgramm->RadioButton4->isVisible());
        for (QRadioButton* r : { f.TabProgramm->RadioButton1, f.TabProgramm->RadioButton2,
                 f.TabProgramm->RadioButton3, f.TabProgramm->RadioButton4 })
            QVERIFY(!r->isChecked());
        QVERIFY(f.TabProgramm->MiniStartBox->isChecked());
        QVERIFY(!f.TabProgramm->CheckBox1->isChecked());
        QCOMPARE(Daten.StartBenutzer, 0); // showing wrote nothing

        f.TabProgramm->RadioButton2->click();
        QCOMPARE(Daten.StartBenutzer, 2);
        f.TabProgramm->MiniStartBox->click();
        QCOMPARE(Daten.MinimiertStarten, 0);

        // A start user above the count is checked but hidden.
        Daten.StartBenutzer = 3;
        f.TabProgramm->StartBenutzerAnzeigen();
        QVERIFY(f.TabProgramm->RadioButton3->isChecked());
        QVERIFY(!f.TabProgramm->RadioButton3->isVisible());
        QVERIFY(!f.TabProgramm->RadioButton2->isChecked());
    }

    void beimAnmeldenStarten()
    {
        QTemporaryDir konfiguration;
        TUmgebungsvariable xdg("XDG_CONFIG_HOME", QFile::encodeName(konfiguration.path()));
        const QString eintrag = konfiguration.filePath(QStringLiteral("autostart/kostenwolf.desktop"));
        TForm2& f = Oeffne();
        f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(1));
        QVERIFY(f.TabProgramm->AutostartBox->isVisible());
        QVERIFY(!f.TabProgramm->AutostartBox->isChecked());

        f.TabProgramm->AutostartBox->click();
        QVERIFY(QFile::exists(eintrag));
        QVERIFY(f.TabProgramm->AutostartBox->isChecked());

        // Removed elsewhere while the window was closed: the box says so when it opens.
        f.close();
        QVERIFY(QFile::remove(eintrag));
        f.show();
        QVERIFY(!f.TabProgramm->AutostartBox->isChecked());
        f.TabProgramm->AutostartBox->click();
        f.TabProgramm->AutostartBox->click();
        QVERIFY(!QFile::exists(eintrag));
        QVERIFY(!f.TabProgramm->AutostartBox->isChecked());

        // A folder that cannot be written: told, and the box stays off.
        QFile hindernis(konfiguration.filePath(QStringLiteral("datei")));
        QVERIFY(hindernis.open(QIODevice::WriteOnly));
        hindernis.close();
        xdg.Setze(QFile::encodeName(hindernis.fileName()));
        f.TabProgramm->AutostartBox->click();
        QVERIFY(!f.TabProgramm->AutostartBox->isChecked());
        QCOMPARE(dialoge().Meldungen().size(), 1);
        QVERIFY(dialoge().Meldungen().first().startsWith(
            QStringLiteral("Der Eintrag für den Start beim Anmelden konnte nicht angelegt werden")));
    }

    void immerImVordergrund()
    {
        const std::unique_ptr<TForm1> hauptfenster = StarteHauptfenster(dialoge());
        QVERIFY(hauptfenster);
        TForm1& haupt = *hauptfenster;
        Form1 = &haupt;
        haupt.show();
        Daten.FensterStil = 3;
        TForm2& f = Oeffne();
        VerbindeEinstellungen(haupt, f);
        f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(1));
        QVERIFY(f.TabProgramm->CheckBox1->isChecked());

        f.TabProgramm->CheckBox1->click();
        QCOMPARE(Daten.FensterStil, 0);
        QVERIFY(!haupt.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(haupt.isVisible());
        f.TabProgramm->CheckBox1->click();
        QCOMPARE(Daten.FensterStil, 3);
        QVERIFY(haupt.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(haupt.isVisible());
        QVERIFY(!f.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        Form1 = nullptr;
    }

    void schliessen_data()
    {
        QTest::addColumn<QString>("knopf");
        QTest::addColumn<int>("seite");
        QTest::addColumn<bool>("warnung");
        QTest::newRow("Tarife") << "SchliessenBtn1" << 0 << true;
        QTest::newRow("Programm") << "SchliessenBtn3" << 1 << false;
        QTest::newRow("Benutzer") << "SchliessenBtn2" << 2 << false;
    }

    void schliessen()
    {
        QFETCH(QString, knopf);
        QFETCH(int, seite);
        QFETCH(bool, warnung);
        TForm2& f = Oeffne();
        f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(seite));
        Daten.MinimiertStarten = 1;
        Daten.Benutzer[1].TarifNr = 0;
        QTest::mouseClick(f.findChild<QPushButton*>(knopf), Qt::LeftButton);
        QVERIFY(!f.isVisible());
        if (warnung)
            QCOMPARE(dialoge().Meldungen(),
                QStringList {
                    "Es ist kein Tarif aktiviert! Bitte wählen Sie einen mit dem Button \"Tarif wählen\"" });
        else
            QVERIFY(dialoge().Meldungen().isEmpty());

        // Closing wrote the record.
        std::memset(&Daten, 0, sizeof Daten);
        QCOMPARE(LadeDaten().art, TLadeErgebnis::Geladen);
        QCOMPARE(Daten.MinimiertStarten, 1);
        QCOMPARE(Daten.Benutzer[1].Name.Text(), QStringLiteral("Standardbenutzer"));
    }

    void keineWarnungMitTarif()
    {
        Belege(1, QStringLiteral("Eins"));
        Daten.Benutzer[1].TarifNr = 1;
        TForm2& f = Oeffne();
        f.TabTarife->SchliessenBtn1->click();
        QVERIFY(!f.isVisible());
        QVERIFY(dialoge().Meldungen().isEmpty());
    }

    void speicherfehlerBeimSchliessen()
    {
        // A folder in the file's place: the save cannot replace it.
        QVERIFY(QDir(umgebung->Verzeichnis.path()).mkdir(QStringLiteral("Daten.kwd")));
        TForm2& f = Oeffne();
        f.reject();
        QVERIFY(!f.isVisible());
        QCOMPARE(dialoge().Meldungen().size(), 1);
        QVERIFY(dialoge().Meldungen().first().startsWith(
            QStringLiteral("Die Daten konnten nicht gespeichert werden: ")));
    }
};

QTEST_MAIN(TestEinstellungen)
#include "tst_einstellungen.moc"
