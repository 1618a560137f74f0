// The year view on the offscreen platform: the months from the log in chart and table,
// the budget line, the days of a chosen month, and the picture it saves.
#include "report/Jahresuebersicht.h"
#include "support/Testumgebung.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QImage>
#include <QLineSeries>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <memory>

namespace {

TDateTime Am(int jahr, int monat, int tag, int stunde)
{
    return EncodeDate(jahr, monat, tag) + EncodeTime(stunde, 0, 0, 0);
}

QList<qreal> Balken(const QChartView* ansicht)
{
    const auto* reihe = qobject_cast<const QBarSeries*>(ansicht->chart()->series().value(0));
    if (!reihe || reihe->barSets().isEmpty())
        return {};
    QList<qreal> werte;
    for (int i = 0; i < reihe->barSets().first()->count(); ++i)
        werte << reihe->barSets().first()->at(i);
    return werte;
}

} // namespace

class TestJahresuebersicht : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestumgebung> umgebung;
    std::unique_ptr<TVerlauf> verlauf;

private slots:
    void init()
    {
        umgebung = std::make_unique<TTestumgebung>();
        verlauf = std::make_unique<TVerlauf>(umgebung->Pfad(QStringLiteral("Verlauf.sqlite")));
        QVERIFY(verlauf->Oeffne().Ok);
        const auto schreibe = [&](TDateTime beginn, double sekunden, double kosten) {
            TVerlaufsEintrag e;
            e.Benutzer = QStringLiteral("Anna");
            e.Beginn = beginn;
            e.Ende = beginn + sekunden / 86'400;
            e.Sekunden = sekunden;
            e.Kosten = kosten;
            e.Tarif = QStringLiteral("Tag");
            QVERIFY(verlauf->Schreibe(e));
        };
        schreibe(Am(2024, 7, 1, 10), 600, 0.60);
        schreibe(Am(2025, 3, 2, 10), 600, 0.60);
        schreibe(Am(2025, 3, 2, 20), 1200, 1.20);
        schreibe(Am(2025, 3, 31, 23), 3600, 3.60);
        schreibe(Am(2025, 11, 5, 8), 60, 45.00);
    }
    void cleanup()
    {
        verlauf.reset();
        umgebung.reset();
    }

    void monthsInChartAndTableWithTheBudgetAsALine()
    {
        TJahresuebersicht fenster(*verlauf, QStringLiteral("Anna"), 40, 1, 2025);
        QCOMPARE(Balken(fenster.MonateAnsicht), (QList<qreal> { 0, 0, 5.40, 0, 0, 0, 0, 0, 0, 0, 45.00, 0 }));
        QCOMPARE(fenster.Tabelle->item(2, 1)->text(), QStringLiteral("3"));
        QCOMPARE(fenster.Tabelle->item(2, 2)->text(), QStringLiteral("01:30:00"));
        QCOMPARE(fenster.Tabelle->item(2, 3)->text(), QStringLiteral("5,40 DM"));
        QCOMPARE(fenster.Tabelle->item(12, 3)->text(), QStringLiteral("50,40 DM"));
        const auto* budget
            = qobject_cast<const QLineSeries*>(fenster.MonateAnsicht->chart()->series().value(1));
        QVERIFY(budget);
        QCOMPARE(budget->at(0).y(), 40.0);
        // The years of the log can be chosen, and an earlier one shows its own months.
        QCOMPARE(fenster.JahrFeld->minimum(), 2024);
        fenster.JahrFeld->setValue(2024);
        QCOMPARE(fenster.Tabelle->item(12, 1)->text(), QStringLiteral("1"));

        TJahresuebersicht ohneBudget(*verlauf, QStringLiteral("Anna"), 0, 1, 2025);
        QCOMPARE(ohneBudget.MonateAnsicht->chart()->series().size(), 1);
    }

    void aClickedMonthShowsItsDaysAndThePictureIsSaved()
    {
        TJahresuebersicht fenster(*verlauf, QStringLiteral("Anna"), 0, 1, 2025);
        // Opened on the latest month with connections.
        QCOMPARE(fenster.GezeigterMonat(), 11);
        auto* balken = qobject_cast<QBarSeries*>(fenster.MonateAnsicht->chart()->series().value(0));
        QVERIFY(balken);
        emit balken->barSets().first()->clicked(2);
        QCOMPARE(fenster.GezeigterMonat(), 3);
        const QList<qreal> tage = Balken(fenster.TageAnsicht);
        QCOMPARE(tage.size(), 31);
        QCOMPARE(tage[1], 1.80);
        QCOMPARE(tage[30], 3.60);
        fenster.Tabelle->setCurrentCell(6, 0);
        QCOMPARE(fenster.GezeigterMonat(), 7);

        const QString pfad = umgebung->Pfad(QStringLiteral("jahr.png"));
        umgebung->Dialoge->Dateinamen.push_back(pfad);
        fenster.resize(900, 620);
        fenster.BildKnopf->click();
        QImage bild(pfad);
        QVERIFY(!bild.isNull());
        QCOMPARE(bild.size(), fenster.Bild().size());
        QCOMPARE(umgebung->Dialoge->Meldungen(), QStringList());
    }
};

QTEST_MAIN(TestJahresuebersicht)
#include "tst_jahresuebersicht.moc"
