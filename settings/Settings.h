// The settings window: the tariff editor, the user accounts and the program options,
// chosen by the tree on the left. Created once with the program, shown modally from
// the main window's menu, hidden on close; closing saves "Daten.kwd".
#pragma once

#include <QDialog>

class QLabel;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TBenutzerSeite;
class TProgrammSeite;
class TTarifSeite;

class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    QTreeWidget* TreeView1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    TTarifSeite* TabTarife = nullptr;
    QWidget* TabNewTarif = nullptr;
    QWidget* TabUpdate = nullptr;
    TBenutzerSeite* TabBenutzer = nullptr;
    TProgrammSeite* TabProgramm = nullptr;

    // Update (never shown)
    QLabel* URLLabel1 = nullptr;
    QLabel* URLLabel2 = nullptr;

    void FormCreate(QObject* Sender);
    void FormShow(QObject* Sender);
    void FormActivate(QObject* Sender);
    void FormClose(QObject* Sender);
    void TreeView1Change(QObject* Sender, QTreeWidgetItem* Node);
    void PageControl1Change(QObject* Sender);
    // The currency in force on every page.
    void WaehrungAnzeigen();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

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
    void BaueFenster();
    QWidget* BaueUpdateSeite();
    void VerbindeSeiten();

    // Shows the tab of 'seite' alone, or beside the tabs already shown, and brings the
    // page to the front.
    void ZeigeSeite(QWidget* seite, bool alleinig);
    void VerbergeNeuerTarifSeite();
    void ZeigeTarife();
    void SetzeTitel();

    bool FSeitenwechselImProgramm = false;
};

extern TForm2* Form2;
