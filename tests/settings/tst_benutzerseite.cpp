// The user accounts page of the settings window: adding, removing and switching users
// through the list, the prompts and the main window's labels.
#include "app/Haupt.h"
#include "app/Programm.h"
#include "core/Budget.h"
#include "settings/BenutzerSeite.h"
#include "settings/ProgrammSeite.h"
#include "settings/Settings.h"
#include "settings/TarifSeite.h"
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/Hauptfenster.h"
#include "support/Testumgebung.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <cstring>
#include <memory>

class TestBenutzerseite : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestumgebung> umgebung;
    std::unique_ptr<TForm1> haupt;
    std::unique_ptr<TForm2> fenster;

    TTestDialoge& dialoge() { return *umgebung->Dialoge; }

    void Benutzer(int u, const QString& name, const QString& kennwort = QString(), int tarif = 0)
    {
        Daten.Benutzer[u].Name.Setze(name);
        Daten.Benutzer[u].Kennwort.Setze(kennwort);
        Daten.Benutzer[u].TarifNr = uint8_t(tarif);
        if (Daten.BenutzerAnzahl < u)
            Daten.BenutzerAnzahl = uint8_t(u);
    }

    // Opens the window on the Benutzer page, as the tree gets there.
    TForm2& Oeffne()
    {
        haupt = StarteHauptfenster(dialoge());
        Form1 = haupt.get();
        fenster = std::make_unique<TForm2>();
        VerbindeEinstellungen(*haupt, *fenster);
        fenster->show();
        fenster->TreeView1->setCurrentItem(fenster->TreeView1->topLevelItem(2));
        return *fenster;
    }

    QStringList Zeilen() const
    {
        QStringList z;
        for (int i = 0; i < fenster->TabBenutzer->BenutzerList->count(); ++i)
            z << fenster->TabBenutzer->BenutzerList->item(i)->text();
        return z;
    }

    void Waehle(const QString& name)
    {
        const auto treffer = fenster->TabBenutzer->BenutzerList->findItems(name, Qt::MatchExactly);
        QVERIFY(!treffer.isEmpty());
        fenster->TabBenutzer->BenutzerList->setCurrentItem(treffer.first());
    }

    QStringList Labels() const
    {
        return { Form1->Benutzerlabel->text(), Form1->Label1->text(), Form1->ZeitLabel->text(),
            Form1->KostenLabel->text() };
    }

    void SetzeLabelsAufAlt()
    {
        for (QLabel* l : { Form1->Benutzerlabel, Form1->Label1, Form1->ZeitLabel, Form1->KostenLabel })
            l->setText(QStringLiteral("alt"));
    }

private slots:
    void init()
    {
        umgebung = std::make_unique<TTestumgebung>();
        Daten.StartBenutzer = 1;
        Benutzer(1, QStringLiteral("Standardbenutzer"));
        AktBenutzer = 1;
    }

    void cleanup()
    {
        fenster.reset();
        haupt.reset();
        Form1 = nullptr;
        umgebung.reset();
    }

    void anfangszustand()
    {
        Benutzer(2, QStringLiteral("Zwei"));
        TForm2& f = Oeffne();
        QCOMPARE(Zeilen(), (QStringList { "Standardbenutzer", "Zwei" }));
        QCOMPARE(f.TabBenutzer->BenutzerList->selectedItems().size(), 0);
        QVERIFY(!f.TabBenutzer->BenutzerwechselnBtn->isVisible());
        QVERIFY(!f.TabBenutzer->Label7->isVisible());
        QVERIFY(!f.TabBenutzer->EPasswort->isVisible());
        QCOMPARE(f.TabBenutzer->EPasswort->echoMode(), QLineEdit::Password);
        QVERIFY(f.TabBenutzer->NeuerBenutzerBtn->isVisible());
        QVERIFY(f.TabBenutzer->BenutzerloeschenBtn->isVisible());
    }

    void neuerBenutzerMitVorgaben()
    {
        TForm2& f = Oeffne();
        f.TabBenutzer->NeuerBenutzerBtn->click(); // "Abbrechen" to all three prompts

        const auto& p = dialoge().Protokoll;
        QCOMPARE(int(p.size()), 3);
        QCOMPARE(p[0].caption, QStringLiteral("Neuer Benutzer - Name"));
        QCOMPARE(p[0].text, QStringLiteral("Bitte geben Sie einen Namen für den Benutzer ein."));
        QCOMPARE(p[0].vorgabe, QStringLiteral("Benutzer 2"));
        QVERIFY(!p[0].passwort);
        QCOMPARE(p[1].caption, QStringLiteral("Neuer Benutzer - Kennwort"));
        QCOMPARE(p[1].text, QStringLiteral("Bitte geben Sie ein Kennwort ein."));
        QCOMPARE(p[1].vorgabe, QString());
        QVERIFY(p[1].passwort);
        QCOMPARE(p[2].caption, QStringLiteral("Neuer Benutzer - Kennwort bestätigen"));
        QCOMPARE(p[2].text, QStringLiteral("Bitte wiederhohlen Sie Ihr Kennwort."));
        QVERIFY(p[2].passwort);

        QCOMPARE(Daten.BenutzerAnzahl, 2);
        QCOMPARE(Daten.Benutzer[2].Name.Text(), QStringLiteral("Benutzer 2"));
        QVERIFY(Daten.Benutzer[2].Kennwort.Leer());
        QCOMPARE(Daten.Benutzer[2].TarifNr, 0);
        QCOMPARE(Zeilen(), (QStringList { "Standardbenutzer", "Benutzer 2" }));

        // The new user is offered as start user.
        f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(1));
        QVERIFY(f.TabProgramm->RadioButton2->isVisible());
        QCOMPARE(f.TabProgramm->RadioButton2->text(), QStringLiteral("Benutzer 2"));
    }

    void neuerBenutzerAbgelehnt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("erstes");
        QTest::addColumn<QString>("zweites");
        QTest::addColumn<QString>("meldung");
        QTest::addColumn<int>("eingaben");
        const QString k26 = QString(26, QLatin1Char('k'));
        QTest::newRow("zu lang") << "Neu" << k26 << k26
                                 << "Kennwort zu lang! Ihr Kennwort darf max. 25 Zeichen haben!" << 3;
        QTest::newRow("verschieden") << "Neu"
                                     << "geheim"
                                     << "Geheim"
                                     << "Die Kennwörter stimmen nicht überein! Bitte versuchen Sie es erneut."
                                     << 3;
        QTest::newRow("Name vergeben") << "Standardbenutzer"
                                       << ""
                                       << ""
                                       << "Ein Benutzer mit diesem Namen existiert bereits." << 1;
        QTest::newRow("Name leer") << ""
                                   << ""
                                   << ""
                                   << "Bitte geben Sie einen Namen für den Benutzer ein." << 1;
    }

    void neuerBenutzerAbgelehnt()
    {
        QFETCH(QString, name);
        QFETCH(QString, erstes);
        QFETCH(QString, zweites);
        QFETCH(QString, meldung);
        QFETCH(int, eingaben);
        TForm2& f = Oeffne();
        dialoge().Eingaben = { name, erstes, zweites };
        f.TabBenutzer->NeuerBenutzerBtn->click();
        QCOMPARE(dialoge().Meldungen(), QStringList { meldung });
        int gefragt = 0;
        for (const auto& aufruf : dialoge().Protokoll)
            gefragt += aufruf.art == TDialogAufruf::Eingabe;
        QCOMPARE(gefragt, eingaben);
        QCOMPARE(Daten.BenutzerAnzahl, 1);
        QCOMPARE(Zeilen(), QStringList { "Standardbenutzer" });
        static const TBenutzer leer {};
        QCOMPARE(std::memcmp(&Daten.Benutzer[2], &leer, sizeof leer), 0);
    }

    void fuenfterBenutzer()
    {
        for (int u = 2; u <= 4; ++u)
            Benutzer(u, QStringLiteral("B%1").arg(u));
        TForm2& f = Oeffne();
        Daten.Benutzer[4].Name.Setze(QStringLiteral("Umbenannt"));
        f.TabBenutzer->NeuerBenutzerBtn->click();
        QVERIFY(dialoge().Protokoll.empty());
        QCOMPARE(Daten.BenutzerAnzahl, 4);
        QCOMPARE(Zeilen(), (QStringList { "Standardbenutzer", "B2", "B3", "Umbenannt" }));
    }

    void entfernen()
    {
        Benutzer(2, QStringLiteral("B"), QStringLiteral("pwB"), 12);
        Benutzer(3, QStringLiteral("C"), QStringLiteral("pwC"), 13);
        Benutzer(4, QStringLiteral("D"), QString(), 14);
        AktBenutzer = 3;
        Daten.StartBenutzer = 4;
        TForm2& f = Oeffne();
        Waehle(QStringLiteral("B"));
        f.TabBenutzer->BenutzerloeschenBtn->click();
        QVERIFY(dialoge().Meldungen().isEmpty());
        QCOMPARE(Zeilen(), (QStringList { "Standardbenutzer", "C", "D" }));
        QCOMPARE(AktBenutzer, 2);
        QCOMPARE(Daten.StartBenutzer, 3);
        QCOMPARE(Daten.Benutzer[2].Kennwort.Text(), QStringLiteral("pwC"));
        QCOMPARE(Daten.Benutzer[3].TarifNr, 14);
        QVERIFY(f.TabBenutzer->BenutzerwechselnBtn->isVisible());

        // The current user stays.
        Waehle(QStringLiteral("C"));
        f.TabBenutzer->BenutzerloeschenBtn->click();
        QCOMPARE(
            dialoge().Meldungen(), QStringList { "Der angemeldete Benutzer kann nicht gelöscht werden." });
        QCOMPARE(Zeilen(), (QStringList { "Standardbenutzer", "C", "D" }));
    }

    void einzigerBenutzer()
    {
        TForm2& f = Oeffne();
        Waehle(QStringLiteral("Standardbenutzer"));
        f.TabBenutzer->BenutzerloeschenBtn->click();
        QCOMPARE(dialoge().Meldungen(), QStringList { "Es muß mind. ein Benutzer existieren!" });
        QCOMPARE(Daten.BenutzerAnzahl, 1);
        QCOMPARE(Zeilen(), QStringList { "Standardbenutzer" });
        QVERIFY(!f.TabBenutzer->BenutzerwechselnBtn->isVisible());
    }

    void keineZeileAusgewaehlt()
    {
        Benutzer(2, QStringLiteral("Zwei"));
        TForm2& f = Oeffne();
        SetzeLabelsAufAlt();
        f.TabBenutzer->BenutzerloeschenBtnClick(&f);
        f.TabBenutzer->BenutzerwechselnBtnClick(&f);
        f.TabBenutzer->BenutzerListClick(&f);
        const QString meldung = QStringLiteral("Der Index der Liste überschreitet das Maximum (-1)");
        QCOMPARE(dialoge().Meldungen(), (QStringList { meldung, meldung, meldung }));
        QCOMPARE(Daten.BenutzerAnzahl, 2);
        QCOMPARE(AktBenutzer, 1);
        QCOMPARE(Labels(), (QStringList { "alt", "alt", "alt", "alt" }));
    }

    void zeileWaehlen()
    {
        Benutzer(2, QStringLiteral("Mit"), QStringLiteral("geheim"));
        Benutzer(3, QStringLiteral("Ohne"));
        TForm2& f = Oeffne();
        f.activateWindow();
        Waehle(QStringLiteral("Mit"));
        QVERIFY(f.TabBenutzer->Label7->isVisible());
        QVERIFY(f.TabBenutzer->EPasswort->isVisible());
        QVERIFY(f.TabBenutzer->BenutzerwechselnBtn->isVisible());
        QCOMPARE(f.focusWidget(), f.TabBenutzer->EPasswort);

        f.TabBenutzer->EPasswort->setText(QStringLiteral("tippe"));
        Waehle(QStringLiteral("Ohne"));
        QVERIFY(!f.TabBenutzer->Label7->isVisible());
        QVERIFY(!f.TabBenutzer->EPasswort->isVisible());
        QCOMPARE(f.TabBenutzer->EPasswort->text(), QString());
        QVERIFY(f.TabBenutzer->BenutzerwechselnBtn->isVisible());

        Waehle(QStringLiteral("Standardbenutzer"));
        QVERIFY(!f.TabBenutzer->BenutzerwechselnBtn->isVisible());
    }

    void wechselnMitKennwort()
    {
        Benutzer(2, QStringLiteral("Zwei"), QStringLiteral("Geheim"), 5);
        Tarife[5].Name.Setze(QStringLiteral("Fünf"));
        Tarife[5].Grundpreis = 9.9;
        TForm2& f = Oeffne();
        Waehle(QStringLiteral("Zwei"));

        f.TabBenutzer->EPasswort->setText(QStringLiteral("geheim"));
        SetzeLabelsAufAlt();
        f.TabBenutzer->BenutzerwechselnBtn->click();
        QCOMPARE(dialoge().Meldungen(), QStringList { "Falsches Kennwort" });
        QCOMPARE(AktBenutzer, 1);
        QCOMPARE(f.TabBenutzer->EPasswort->text(), QString());
        QCOMPARE(f.focusWidget(), f.TabBenutzer->EPasswort);
        QVERIFY(f.TabBenutzer->EPasswort->isVisible());
        // The labels are written all the same, for the user who stays.
        QCOMPARE(Labels(), (QStringList { "Standardbenutzer", "Diesen Monat: 0 DM", "00:00:00", "0,00 DM" }));

        f.TabBenutzer->EPasswort->setText(QStringLiteral("Geheim"));
        f.TabBenutzer->BenutzerwechselnBtn->click();
        QCOMPARE(dialoge().Meldungen().size(), 1);
        QCOMPARE(AktBenutzer, 2);
        QCOMPARE(AktTarif.Name.Text(), QStringLiteral("Fünf"));
        QVERIFY(!f.TabBenutzer->Label7->isVisible());
        QVERIFY(!f.TabBenutzer->EPasswort->isVisible());
        QVERIFY(!f.TabBenutzer->BenutzerwechselnBtn->isVisible());
        QCOMPARE(f.windowTitle(), QStringLiteral("Einstellungen - Zwei"));
        QCOMPARE(Labels(), (QStringList { "Zwei", "Diesen Monat: 9,9 DM", "00:00:00", "0,00 DM" }));
        QCOMPARE(f.PageControl1->currentWidget(), f.TabBenutzer);
    }

    // The switch hides the password field and the focus moves on to "Schließen": the
    // same Return must not press it too.
    void returnImKennwortfeldLaesstDasFensterOffen()
    {
        Benutzer(2, QStringLiteral("Zwei"), QStringLiteral("Geheim"), 1);
        TForm2& f = Oeffne();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        Waehle(QStringLiteral("Zwei"));
        QCOMPARE(f.focusWidget(), f.TabBenutzer->EPasswort);

        QTest::keyClicks(f.TabBenutzer->EPasswort, QStringLiteral("falsch"));
        QTest::keyClick(f.TabBenutzer->EPasswort, Qt::Key_Return);
        QCOMPARE(dialoge().Meldungen(), QStringList { "Falsches Kennwort" });
        QCOMPARE(AktBenutzer, 1);

        QTest::keyClicks(f.TabBenutzer->EPasswort, QStringLiteral("Geheim"));
        QTest::keyClick(f.TabBenutzer->EPasswort, Qt::Key_Enter);
        QCOMPARE(AktBenutzer, 2);
        QVERIFY(!f.TabBenutzer->EPasswort->isVisible());
        QTest::qWait(20);
        QVERIFY(f.isVisible());
        QCOMPARE(dialoge().Meldungen().size(), 1);
    }

    void langerNameImTitel()
    {
        Benutzer(2, QString(50, QLatin1Char('x')));
        Daten.Benutzer[2].TarifNr = 1;
        TForm2& f = Oeffne();
        Waehle(QString(50, QLatin1Char('x')));
        f.TabBenutzer->BenutzerwechselnBtn->click();
        QCOMPARE(f.windowTitle().size(), 66);
        QCOMPARE(f.windowTitle(), QStringLiteral("Einstellungen - ") + QString(50, QLatin1Char('x')));
    }

    void doppelklick()
    {
        Benutzer(2, QStringLiteral("Mit"), QStringLiteral("geheim"), 1);
        Benutzer(3, QStringLiteral("Ohne"), QString(), 1);
        TForm2& f = Oeffne();
        auto doppelt = [&](const QString& name) {
            const QListWidgetItem* zeile
                = f.TabBenutzer->BenutzerList->findItems(name, Qt::MatchExactly).first();
            const QPoint mitte = f.TabBenutzer->BenutzerList->visualItemRect(zeile).center();
            QTest::mouseClick(f.TabBenutzer->BenutzerList->viewport(), Qt::LeftButton, {}, mitte);
            QTest::mouseDClick(f.TabBenutzer->BenutzerList->viewport(), Qt::LeftButton, {}, mitte);
        };
        doppelt(QStringLiteral("Mit"));
        QCOMPARE(dialoge().Meldungen(), QStringList { "Falsches Kennwort" });
        QCOMPARE(AktBenutzer, 1);
        doppelt(QStringLiteral("Ohne"));
        QCOMPARE(dialoge().Meldungen().size(), 1);
        QCOMPARE(AktBenutzer, 3);
    }

    void wechselnOhneTarif()
    {
        Benutzer(2, QStringLiteral("Zwei"));
        Daten.Benutzer[1].TarifNr = 1;
        Tarife[1].Name.Setze(QStringLiteral("Eins"));
        SetzeAktTarif(1);
        TForm2& f = Oeffne();
        Waehle(QStringLiteral("Zwei"));
        f.TabBenutzer->BenutzerwechselnBtn->click();
        QCOMPARE(AktBenutzer, 2);
        QVERIFY(AktTarif.Name.Leer());
        QCOMPARE(dialoge().Meldungen(), QStringList { "Es ist kein Tarif gewählt, bitte tun Sie dies nun." });
        QCOMPARE(f.TreeView1->currentItem(), f.TreeView1->topLevelItem(0));
        QCOMPARE(f.PageControl1->currentWidget(), f.TabTarife);
        QVERIFY(f.PageControl1->isTabVisible(0));
        QVERIFY(!f.PageControl1->isTabVisible(3));
        QCOMPARE(f.TabTarife->TarifList->selectedItems().size(), 0);
    }

    void wechselnZuSichSelbst()
    {
        Tarife[1].Name.Setze(QStringLiteral("Eins"));
        Tarife[1].Preis = 1;
        Daten.Benutzer[1].TarifNr = 1;
        TForm2& f = Oeffne();
        Tarife[1].Preis = 7; // edited, not chosen again
        Waehle(QStringLiteral("Standardbenutzer"));
        SetzeLabelsAufAlt();
        f.TabBenutzer->BenutzerListDblClick(f.TabBenutzer->BenutzerList);
        QVERIFY(dialoge().Meldungen().isEmpty());
        QCOMPARE(AktTarif.Preis, 1.0);
        QCOMPARE(Labels(), (QStringList { "Standardbenutzer", "Diesen Monat: 0 DM", "00:00:00", "0,00 DM" }));
        QCOMPARE(f.PageControl1->currentWidget(), f.TabBenutzer);
    }

    void monatsbudgetDesGewaehltenBenutzers()
    {
        Benutzer(2, QStringLiteral("Bernd"));
        Tarife[1].Name.Setze(QStringLiteral("Abend"));
        TForm2& f = Oeffne();
        QVERIFY(SpeichereDaten().Ok);
        QVERIFY(SpeichereTarife().Ok);
        const auto inhalt = [this](const char* name) {
            QFile datei(umgebung->Pfad(QString::fromLatin1(name)));
            return datei.open(QIODevice::ReadOnly) ? datei.readAll() : QByteArray();
        };
        const QByteArray daten = inhalt("Daten.kwd"), tarife = inhalt("Tarife.kwt");

        // No line selected: the current user's, who has none yet.
        QCOMPARE(f.TabBenutzer->EBudget->text(), QString());
        QCOMPARE(f.TabBenutzer->EWarnstufen->text(), QStringLiteral("80, 100"));

        Waehle(QStringLiteral("Bernd"));
        f.TabBenutzer->EBudget->setText(QStringLiteral("-3"));
        f.TabBenutzer->BudgetBtn->click();
        QCOMPARE(dialoge().Meldungen().size(), 1);
        QVERIFY(!Budgets().Budget(2).Gesetzt());
        f.TabBenutzer->EBudget->setText(QStringLiteral("49,5"));
        f.TabBenutzer->EWarnstufen->setText(QStringLiteral("100 50"));
        f.TabBenutzer->BudgetBtn->click();
        QCOMPARE(dialoge().Meldungen().size(), 1);
        QCOMPARE(Budgets().Budget(2).Betrag, 49.5);
        QCOMPARE(Budgets().Budget(2).Warnstufen, (QList<int> { 50, 100 }));
        QCOMPARE(f.TabBenutzer->EBudget->text(), QStringLiteral("49,50"));
        QVERIFY(!Budgets().Budget(1).Gesetzt());
        Waehle(QStringLiteral("Standardbenutzer"));
        QCOMPARE(f.TabBenutzer->EBudget->text(), QString());

        // The budget lives beside the data files, which stay as they were, also
        // after the window's save.
        f.TabBenutzer->SchliessenBtn2->click();
        QVERIFY(QFile::exists(umgebung->Pfad(BudgetDateiName)));
        QCOMPARE(inhalt("Daten.kwd"), daten);
        QCOMPARE(inhalt("Tarife.kwt"), tarife);
    }

    void schliessenSpeichert()
    {
        TForm2& f = Oeffne();
        dialoge().Eingaben = { QStringLiteral("Gast"), QStringLiteral("pw"), QStringLiteral("pw") };
        f.TabBenutzer->NeuerBenutzerBtn->click();
        f.TabBenutzer->SchliessenBtn2->click();
        QVERIFY(!f.isVisible());
        std::memset(&Daten, 0, sizeof Daten);
        QCOMPARE(LadeDaten().art, TLadeErgebnis::Geladen);
        QCOMPARE(Daten.BenutzerAnzahl, 2);
        QCOMPARE(Daten.Benutzer[2].Name.Text(), QStringLiteral("Gast"));
        QCOMPARE(Daten.Benutzer[2].Kennwort.Text(), QStringLiteral("pw"));
    }
};

QTEST_MAIN(TestBenutzerseite)
#include "tst_benutzerseite.moc"
