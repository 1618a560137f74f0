// The settings window's user page: new users, removal, the switch to another user and
// each user's monthly budget.
#pragma once

#include "settings/Seite.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class TBenutzerSeite : public TSeite {
    Q_OBJECT

public:
    explicit TBenutzerSeite(QWidget* parent = nullptr);

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

    // Fills BenutzerList with users 1..BenutzerAnzahl; no line is selected afterwards.
    void BenutzerListeFuellen();
    void ZeigeBudget();
    void WaehrungAnzeigen();

    void NeuerBenutzerBtnClick(QObject* Sender);
    void BenutzerloeschenBtnClick(QObject* Sender);
    void BenutzerwechselnBtnClick(QObject* Sender);
    void BenutzerListClick(QObject* Sender);
    void BenutzerListDblClick(QObject* Sender);
    void BudgetBtnClick(QObject* Sender);

signals:
    // Another user is current now.
    void BenutzerGewechselt();
    // The new user has no tariff: the window goes to the tariffs.
    void TarifWaehlenVerlangt();

protected:
    bool eventFilter(QObject* objekt, QEvent* event) override;

private:
    void BenutzerEntfernen(int u);
    int BudgetBenutzer() const;

    bool FListeWirdGefuellt = false;
};
