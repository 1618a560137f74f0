// The settings window's tariff page: the list of tariffs, and the entry of a new or a
// changed one, which the window shows as a tab of its own.
#pragma once

#include "settings/Seite.h"

class QLineEdit;
class QListWidget;
class QPushButton;

class TTarifSeite : public TSeite {
    Q_OBJECT

public:
    explicit TTarifSeite(QWidget* parent = nullptr);

    QListWidget* TarifList = nullptr;
    QPushButton* SelectTarif = nullptr;
    QPushButton* NewTarif = nullptr;
    QPushButton* EditTarif = nullptr;
    QPushButton* DeleteTarif = nullptr;
    QPushButton* DeleteAllTarifs = nullptr;
    // The selected tariff's rules by time of day, and rules files in and out.
    QPushButton* ZeitenTarif = nullptr;
    QPushButton* ImportTarif = nullptr;
    QPushButton* ExportTarif = nullptr;
    QPushButton* SchliessenBtn1 = nullptr;

    // The entry of a tariff: its own tab, made here and placed by the window.
    QWidget* TabNewTarif = nullptr;
    QLineEdit* EName = nullptr;
    QLineEdit* EPreis = nullptr;
    QLineEdit* EEinwahl = nullptr;
    QLineEdit* EGrundpreis = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* AbortBtn = nullptr;

    // Refills the list and selects the current user's tariff.
    void FuelleTarifListe();
    // The entry is no longer open (the window went elsewhere).
    void EingabeVergessen();
    // The units beside the entry's amounts.
    void WaehrungAnzeigen();

    void NewTarifClick(QObject* Sender);
    void EditTarifClick(QObject* Sender);
    void DeleteTarifClick(QObject* Sender);
    void DeleteAllTarifsClick(QObject* Sender);
    void SelectTarifClick(QObject* Sender);
    void ZeitenTarifClick(QObject* Sender);
    void ImportTarifClick(QObject* Sender);
    void ExportTarifClick(QObject* Sender);
    void OKBtnClick(QObject* Sender);
    void AbortBtnClick(QObject* Sender);
    void SchliessenBtn1Click(QObject* Sender);

signals:
    // The entry's tab is to be shown beside the list, with this caption.
    void EingabeGeoeffnet(const QString& titel);
    // The entry is done with: the list alone again.
    void EingabeGeschlossen();

protected:
    bool eventFilter(QObject* objekt, QEvent* event) override;

private:
    QWidget* BaueEingabe();
    // The slot of the selected line; 0 after the message for an empty list or none
    // selected.
    int GewaehlterTarif();
    void OeffneEingabe(bool neu);
    void SchliesseEingabe();
    // Names and texts of the list's line of a slot, or nullptr.
    class QListWidgetItem* ZeileVon(int slot) const;

    // What OK does: store a new tariff, or change the slot that "Tarif bearbeiten"
    // opened, whatever line the list has selected by then (the refill after a message
    // selects another). No slot while the edited line was not chosen.
    bool FNeu = true;
    int FBearbeiteterTarif = 0;
};
