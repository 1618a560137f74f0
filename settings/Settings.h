// The settings window: the tariff editor, the user accounts and the program options,
// chosen by the tree on the left. Created once with the program, shown modally from
// the main window's menu, hidden on close; closing saves "Daten.kwd".
#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    QTreeWidget* TreeView1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabTarife = nullptr;
    QWidget* TabNewTarif = nullptr;
    QWidget* TabUpdate = nullptr;
    QWidget* TabBenutzer = nullptr;
    QWidget* TabProgramm = nullptr;

    // Tarife
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

    // Neuer Tarif / Tarif bearbeiten
    QLineEdit* EName = nullptr;
    QLineEdit* EPreis = nullptr;
    QLineEdit* EEinwahl = nullptr;
    QLineEdit* EGrundpreis = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* AbortBtn = nullptr;

    // Update (never shown)
    QLabel* URLLabel1 = nullptr;
    QLabel* URLLabel2 = nullptr;

    // Benutzer
    QListWidget* BenutzerList = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* EPasswort = nullptr;
    QPushButton* BenutzerwechselnBtn = nullptr;
    QPushButton* NeuerBenutzerBtn = nullptr;
    QPushButton* BenutzerloeschenBtn = nullptr;
    QPushButton* SchliessenBtn2 = nullptr;
    // The monthly budget of the selected user, or of the current one while no line is
    // selected.
    QLabel* BudgetLabel = nullptr;
    QLineEdit* EBudget = nullptr;
    QLabel* WarnstufenLabel = nullptr;
    QLineEdit* EWarnstufen = nullptr;
    QPushButton* BudgetBtn = nullptr;

    // Programm
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

    void FormCreate(QObject* Sender);
    void FormShow(QObject* Sender);
    void FormActivate(QObject* Sender);
    void FormClose(QObject* Sender);
    void TreeView1Change(QObject* Sender, QTreeWidgetItem* Node);
    void PageControl1Change(QObject* Sender);
    void CheckBox1Click(QObject* Sender);
    void MiniStartBoxClick(QObject* Sender);
    void AutostartBoxClick(QObject* Sender);
    void RadioButton1Click(QObject* Sender);
    void RadioButton2Click(QObject* Sender);
    void RadioButton3Click(QObject* Sender);
    void RadioButton4Click(QObject* Sender);
    void SchliessenBtn1Click(QObject* Sender);
    void SchliessenBtn2Click(QObject* Sender);
    void SchliessenBtn3Click(QObject* Sender);
    void StartBenutzerAnzeigen();
    void EuroBtnClick(QObject* Sender);
    // The currency in force, and the button only while there is something to move.
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
    void ENameClick(QObject* Sender);
    void EPreisClick(QObject* Sender);
    void EEinwahlClick(QObject* Sender);
    void EGrundpreisClick(QObject* Sender);

    void NeuerBenutzerBtnClick(QObject* Sender);
    void BenutzerloeschenBtnClick(QObject* Sender);
    void BenutzerwechselnBtnClick(QObject* Sender);
    void BenutzerListClick(QObject* Sender);
    void BenutzerListDblClick(QObject* Sender);
    void BudgetBtnClick(QObject* Sender);

    // Fills BenutzerList with users 1..BenutzerAnzahl; no line is selected afterwards.
    void BenutzerListeFuellen();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* objekt, QEvent* event) override;

public slots:
    void done(int r) override;

signals:
    // The window style option was changed; the main window follows it.
    void FensterStilGeaendert(int stil);
    // Another user is current now; the main window shows the user's name and month.
    void BenutzerGewechselt();
    // The user confirmed the move to Euro; the main window, which knows whether a
    // connection is metered, carries it out.
    void EuroUmstellungGewuenscht();

private:
    friend void BenutzerEntfernen(uint8_t u);

    void BaueFenster();
    QWidget* BaueTarifSeite();
    QWidget* BaueNeuerTarifSeite();
    QWidget* BaueUpdateSeite();
    QWidget* BaueBenutzerSeite();
    QWidget* BaueProgrammSeite();
    // NetworkManager may have come or gone since the page was last shown.
    void VerbindungsquelleAnzeigen();

    // Shows the tab of 'seite' alone, or beside the tabs already shown, and brings the
    // page to the front.
    void ZeigeSeite(QWidget* seite, bool alleinig);
    void VerbergeNeuerTarifSeite();
    void FuelleTarifListe();
    // A message from one of the handlers; the window is active again afterwards, so
    // the tariff list is refilled as on every activation.
    void Meldung(const QString& text);
    // Remove, edit, switch and the like need a selected line.
    void KeineZeileGewaehlt();
    // The slot of the selected line; 0 after the message for an empty list or none
    // selected.
    int GewaehlterTarif();
    int BudgetBenutzer() const;
    void ZeigeBudget();
    void SetzeTitel();

    bool FSeitenwechselImProgramm = false;
    bool FListeWirdGefuellt = false;
    // The slot that "Tarif bearbeiten" opened: OK changes this one, whatever line the
    // list has selected by then (the refill after a message selects another).
    int FBearbeiteterTarif = 0;
};

extern TForm2* Form2;

// Removes user u through the settings window: the messages, the refilled user list and
// the switch button's visibility.
void BenutzerEntfernen(uint8_t u);
