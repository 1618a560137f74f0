// The editor "Zeiten…" of one tariff's rules: the default unit, the charge per
// connection, the first block, the minimum and the price by data volume above a table
// of the rules by days and times. Reading and writing the texts is core/TarifZeiten's; this only shows them.
#pragma once

#include "core/TarifZeiten.h"
#include "runtime/Ergebnis.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QVBoxLayout;

class TZeitenFenster : public QDialog {
    Q_OBJECT

public:
    // 'speichern' stores the rules read from the editor; the editor stays open after a
    // failure.
    using TSpeichern = std::function<TErgebnis(const TTarifregeln&)>;
    TZeitenFenster(const QString& tarifname, const TTarifregeln& regeln, TSpeichern speichern,
        QWidget* parent = nullptr);

    enum Spalte { SpalteTage, SpalteVon, SpalteBis, SpaltePreis, SpalteEinheit, SpalteAb, Spalten };

    QTableWidget* ZeitenTabelle = nullptr;
    QLineEdit* EStandardPreis = nullptr;
    QLineEdit* EStandardEinheit = nullptr;
    QLineEdit* EProVerbindung = nullptr;
    QLineEdit* EErsterBlockPreis = nullptr;
    QLineEdit* EErsterBlockSekunden = nullptr;
    QLineEdit* EMindestpreis = nullptr;
    QLineEdit* EVolumenPreis = nullptr;
    QLineEdit* EVolumenBlock = nullptr;
    QLineEdit* EInklusivvolumen = nullptr;
    QLabel* KeineBytesLabel = nullptr;
    QPushButton* ZeileNeuBtn = nullptr;
    QPushButton* ZeileWegBtn = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* AbbrechenBtn = nullptr;

    TZeitenEingabe Eingabe() const;
    void OKBtnClick();

private:
    // The row and dialog buttons below the table, wired.
    void BaueKnoepfe(QVBoxLayout* layout);
    void ZeigeEingabe(const TZeitenEingabe& eingabe);
    TSpeichern speichern;
};
