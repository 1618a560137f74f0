// The settings window's program page: window in front, minimized start, start with the
// session, the user to start with and the connection source in use.
#pragma once

#include "settings/Seite.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

class TProgrammSeite : public TSeite {
    Q_OBJECT

public:
    explicit TProgrammSeite(QWidget* parent = nullptr);

    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* MiniStartBox = nullptr;
    // Whether the session starts the program (the XDG autostart entry is there).
    QCheckBox* AutostartBox = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QPushButton* SchliessenBtn3 = nullptr;
    QLabel* VerbindungsquelleLabel = nullptr;
    // "Währung: DM" and the one-time move to Euro.
    QLabel* WaehrungLabel = nullptr;
    QPushButton* EuroBtn = nullptr;

    // Sets every control from the record, the autostart entry and the source in use.
    void Anzeigen();
    void StartBenutzerAnzeigen();
    // The entry may have been removed by the desktop's own settings since.
    void AutostartAnzeigen();

    void CheckBox1Click(QObject* Sender);
    void MiniStartBoxClick(QObject* Sender);
    void AutostartBoxClick(QObject* Sender);
    void StartBenutzerClick(int benutzer);
    void EuroBtnClick(QObject* Sender);
    // The currency in force, and the button only while there is something to move.
    void WaehrungAnzeigen();

signals:
    // The window style option was changed; the main window follows it.
    void FensterStilGeaendert(int stil);
    // The user confirmed the move to Euro.
    void EuroUmstellungGewuenscht();

private:
    QRadioButton* StartKnopf(int benutzer) const;
    // NetworkManager may have come or gone since the page was last shown.
    void VerbindungsquelleAnzeigen();
};
