// The report window on the offscreen platform: which month it shows, for whom, and that
// a new choice replaces the whole report.
#include "core/KontoBericht.h"
#include "report/Konto.h"
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/Testumgebung.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>
#include <cstring>
#include <memory>
#include <vector>

namespace {

void Eintrag(int benutzer, int monat, TDateTime datum, double kosten, const QString& tarif)
{
    TMonat& m = Daten.Benutzer[benutzer].Monate[monat];
    TVerbindung& v = m.Verbindungen[AnzahlVerbindungen(m)];
    v.Tarif.Setze(tarif);
    v.Datum = datum;
    v.Dauer = EncodeTime(0, 10, 0, 0);
    v.Kosten = kosten;
}

TDateTime Am(int jahr, int monat, int tag)
{
    return EncodeDate(jahr, monat, tag) + EncodeTime(12, 0, 0, 0);
}

} // namespace

class TestKonto : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestumgebung> umgebung;
    std::unique_ptr<TForm4> fenster;

    QString Ansicht() const { return fenster->Memo1->toPlainText(); }
    QString Erwartet(int benutzer, int monat) const
    {
        return BaueKontoBericht(Daten.Benutzer[benutzer].Monate[monat], AktTarif.Grundpreis)
            .Zeilen.join('\n');
    }
    void Waehle(const QString& name)
    {
        const auto treffer = fenster->TreeView1->findItems(name, Qt::MatchExactly);
        QCOMPARE(treffer.size(), 1);
        fenster->TreeView1->setCurrentItem(treffer.first());
    }

private slots:
    void init()
    {
        umgebung = std::make_unique<TTestumgebung>();
        Daten.BenutzerAnzahl = 2;
        AktBenutzer = 1;
        AktTarif.Grundpreis = 5;
        Eintrag(1, 3, Am(2026, 3, 1), 1.5, QStringLiteral("März-Tarif"));
        Eintrag(1, 3, Am(2026, 3, 2), 2.25, QStringLiteral("März-Tarif"));
        Eintrag(1, 4, Am(2026, 4, 9), 0.75, QStringLiteral("April-Tarif"));
        Eintrag(2, 3, Am(2026, 3, 5), 9.0, QStringLiteral("Zweiter"));
        SetzeUhr(Am(2026, 3, 20));
        fenster = std::make_unique<TForm4>();
        QCOMPARE(Form4, fenster.get());
    }

    void cleanup()
    {
        fenster.reset();
        QVERIFY(Form4 == nullptr);
        umgebung.reset();
    }

    void designLayout()
    {
        QCOMPARE(fenster->windowTitle(), QStringLiteral("Konto"));
        QCOMPARE(fenster->size(), QSize(640, 556));
        QStringList namen;
        for (int i = 0; i < fenster->TreeView1->topLevelItemCount(); ++i)
            namen << fenster->TreeView1->topLevelItem(i)->text(0);
        QCOMPARE(namen,
            (QStringList { "Januar", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September",
                "Oktober", "November", "Dezember" }));
        QVERIFY(fenster->Memo1->isReadOnly());
        QCOMPARE(fenster->Memo1->font().pointSize(), 8);
        QCOMPARE(fenster->Label1->text(), QStringLiteral("Im Monat: 00,00 DM"));
        for (const char* name : { "TreeView1", "Memo1", "Panel1", "Panel2", "Werbebanner", "BitBtn1",
                 "Label1", "Button1", "Button2" })
            QVERIFY2(fenster->findChild<QWidget*>(name), name);
        QCOMPARE(fenster->Button1->text(), QStringLiteral("Monat drucken"));
        QCOMPARE(fenster->Button2->text(), QStringLiteral("Monat als Text sichern"));
        QCOMPARE(GewaehlterMonat, 1);
    }

    void firstShowingSelectsTodaysMonth()
    {
        fenster->show();
        QVERIFY(fenster->TreeView1->currentItem());
        QCOMPARE(fenster->TreeView1->currentItem()->text(0), QStringLiteral("März"));
        QCOMPARE(GewaehlterMonat, 3);
        QCOMPARE(Ansicht(), Erwartet(1, 3));
        QCOMPARE(Ansicht().count('\n') + 1, 4);
        QCOMPARE(fenster->Label1->text(), QStringLiteral("Im Monat: 8,75 DM - 00:20:00"));
        QCOMPARE(fenster->focusWidget(), fenster->TreeView1);
    }

    void laterShowingsKeepTheChoiceAndRebuild()
    {
        fenster->show();
        Waehle(QStringLiteral("April"));
        fenster->BitBtn1->click();
        QVERIFY(!fenster->isVisible());
        QCOMPARE(fenster->result(), int(QDialog::Accepted));

        // A connection ends while the window is hidden, and the month has moved on.
        Eintrag(1, 4, Am(2026, 4, 10), 3.0, QStringLiteral("Neu"));
        SetzeUhr(Am(2026, 6, 1));
        fenster->show();
        QCOMPARE(fenster->TreeView1->currentItem()->text(0), QStringLiteral("April"));
        QCOMPARE(GewaehlterMonat, 4);
        QVERIFY(Ansicht().contains("Tarif: Neu"));
        QCOMPARE(Ansicht(), Erwartet(1, 4));
    }

    void choosingAMonthReplacesTheWholeReport()
    {
        fenster->show();
        Waehle(QStringLiteral("April"));
        QCOMPARE(GewaehlterMonat, 4);
        QCOMPARE(Ansicht(), Erwartet(1, 4));
        QVERIFY(!Ansicht().contains("März-Tarif"));
        QCOMPARE(fenster->Label1->text(), QStringLiteral("Im Monat: 5,75 DM - 00:10:00"));

        // Arrow keys move from month to month.
        QTest::keyClick(fenster->TreeView1, Qt::Key_Down);
        QCOMPARE(GewaehlterMonat, 5);
        QCOMPARE(Ansicht(), QString());
        QCOMPARE(fenster->Label1->text(), QStringLiteral("Im Monat: 5 DM - 00:00:00"));
        QTest::keyClick(fenster->TreeView1, Qt::Key_Up);
        QTest::keyClick(fenster->TreeView1, Qt::Key_Up);
        QCOMPARE(GewaehlterMonat, 3);
        QCOMPARE(Ansicht(), Erwartet(1, 3));

        // The same month again gives the same text.
        const QString vorher = Ansicht();
        fenster->MonatAnzeigen();
        QCOMPARE(Ansicht(), vorher);
    }

    void reportsTheCurrentUserAndNeverWrites()
    {
        AktBenutzer = 2;
        const std::vector<char> vorher(
            reinterpret_cast<const char*>(&Daten), reinterpret_cast<const char*>(&Daten) + sizeof Daten);
        fenster->show();
        QVERIFY(Ansicht().contains("Tarif: Zweiter"));
        QVERIFY(!Ansicht().contains("März-Tarif"));
        QCOMPARE(fenster->Label1->text(), QStringLiteral("Im Monat: 14 DM - 00:10:00"));
        Waehle(QStringLiteral("April"));
        QCOMPARE(Ansicht(), QString());
        QVERIFY(std::memcmp(vorher.data(), &Daten, sizeof Daten) == 0);
    }

    void forecastOnlyForTheMonthUnderWay()
    {
        fenster->show();
        // 3,75 DM in 20 days of March's 31, and the base fee of 5 DM.
        QCOMPARE(fenster->HochrechnungLabel->text(), QStringLiteral("Hochrechnung bis Monatsende: 10,81 DM"));
        QVERIFY(fenster->HochrechnungLabel->geometry().top() >= fenster->Label1->geometry().bottom());
        Waehle(QStringLiteral("April"));
        QCOMPARE(fenster->HochrechnungLabel->text(), QString());
        Waehle(QStringLiteral("März"));
        QVERIFY(!fenster->HochrechnungLabel->text().isEmpty());

        // A month without a connection yet.
        SetzeUhr(Am(2026, 5, 20));
        Waehle(QStringLiteral("Mai"));
        QCOMPARE(fenster->HochrechnungLabel->text(), QString());
    }

    void nobodyLoggedInShowsAnEmptyMonth()
    {
        AktBenutzer = 0;
        fenster->show();
        QCOMPARE(Ansicht(), QString());
        QCOMPARE(fenster->Label1->text(), QStringLiteral("Im Monat: 5 DM - 00:00:00"));
    }
};

QTEST_MAIN(TestKonto)
#include "tst_konto.moc"
