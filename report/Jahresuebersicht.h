// The year view: a user's twelve months from the connection log as a bar chart (with
// the monthly budget as a line where one is set), the days of a clicked month as a
// second chart, the numbers in a table beside them; saved as a PNG picture, and the
// tariff comparison of the last twelve months.
#pragma once

#include "core/Jahresbericht.h"
#include "core/Tarifvergleich.h"

#include <QDialog>

class QBarSeries;
class QBarSet;
class QChart;
class QChartView;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

class TJahresuebersicht : public QDialog {
    Q_OBJECT
public:
    // 'budget' a month, 0 for none; 'tarifNr' the user's own tariff slot.
    TJahresuebersicht(const TVerlauf& verlauf, const QString& benutzer, double budget, int tarifNr, int jahr,
        QWidget* parent = nullptr);

    QSpinBox* JahrFeld;
    QChartView* MonateAnsicht;
    QChartView* TageAnsicht;
    QTableWidget* Tabelle;
    QPushButton* VergleichKnopf;
    QPushButton* BildKnopf;
    QPushButton* SchliessenKnopf;

    void ZeigeJahr(int jahr);
    // The days of month 1..12 of the year shown.
    void ZeigeMonat(int monat);
    const TJahresbericht& Bericht() const { return FBericht; }
    int GezeigterMonat() const { return FMonat; }
    // What "Als Bild speichern…" writes: the charts and the table as one picture.
    QImage Bild() const;

    // The comparison the button shows: the last twelve months up to 'heute' under every
    // stored tariff.
    TTarifvergleich Vergleich(TDateTime heute) const;

private:
    void SpeichereBild();

    const TVerlauf& FVerlauf;
    QString FBenutzer;
    double FBudget;
    int FTarifNr;
    TJahresbericht FBericht;
    int FMonat = 0;
    QWidget* FInhalt;
};

// The comparison as a table in a window of its own.
void ZeigeTarifvergleich(const TTarifvergleich& vergleich, QWidget* parent);
