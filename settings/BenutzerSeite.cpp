#include "settings/BenutzerSeite.h"

#include "core/BenutzerVerwaltung.h"
#include "core/Budget.h"
#include "core/TarifVerwaltung.h"
#include "core/Zahleingabe.h"
#include "gui/Benannt.h"
#include "runtime/Dialoge.h"
#include "runtime/Format.h"
#include "runtime/Waehrung.h"
#include "store/Abrechnung.h"
#include "store/Daten.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TBenutzerSeite::TBenutzerSeite(QWidget* parent)
    : TSeite(parent)
{
    setObjectName(QStringLiteral("TabBenutzer"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    BenutzerList = Benannt(new QListWidget(this), "BenutzerList");
    BenutzerList->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(BenutzerList, 1);

    auto* rechts = new QVBoxLayout;
    rechts->setSpacing(2);
    NeuerBenutzerBtn = Benannt(new QPushButton(QStringLiteral("Neuer Benutzer"), this), "NeuerBenutzerBtn");
    BenutzerloeschenBtn
        = Benannt(new QPushButton(QStringLiteral("Benutzer löschen"), this), "BenutzerloeschenBtn");
    BenutzerwechselnBtn
        = Benannt(new QPushButton(QStringLiteral("Benutzer wechseln"), this), "BenutzerwechselnBtn");
    Label7 = Benannt(new QLabel(QStringLiteral("Kennwort:"), this), "Label7");
    EPasswort = Benannt(new QLineEdit(this), "EPasswort");
    EPasswort->setEchoMode(QLineEdit::Password);
    EPasswort->setMaxLength(255);
    Label7->setBuddy(EPasswort);
    SchliessenBtn2 = SchliessenKnopf("SchliessenBtn2");
    BenutzerwechselnBtn->setVisible(false);
    Label7->setVisible(false);
    EPasswort->setVisible(false);
    for (QWidget* w : std::initializer_list<QWidget*> {
             NeuerBenutzerBtn, BenutzerloeschenBtn, BenutzerwechselnBtn, Label7, EPasswort })
        rechts->addWidget(w);
    rechts->addSpacing(8);
    BudgetLabel
        = Benannt(new QLabel(MitWaehrungInKlammern(QStringLiteral("Monatsbudget")) + QLatin1Char(':'), this),
            "BudgetLabel");
    EBudget = Benannt(new QLineEdit(this), "EBudget");
    EBudget->setPlaceholderText(QStringLiteral("kein Budget"));
    BudgetLabel->setBuddy(EBudget);
    WarnstufenLabel = Benannt(new QLabel(QStringLiteral("Warnen bei (%):"), this), "WarnstufenLabel");
    EWarnstufen = Benannt(new QLineEdit(this), "EWarnstufen");
    WarnstufenLabel->setBuddy(EWarnstufen);
    BudgetBtn = Benannt(new QPushButton(QStringLiteral("Budget übernehmen"), this), "BudgetBtn");
    for (QWidget* w :
        std::initializer_list<QWidget*> { BudgetLabel, EBudget, WarnstufenLabel, EWarnstufen, BudgetBtn })
        rechts->addWidget(w);
    rechts->addStretch(1);
    rechts->addWidget(SchliessenBtn2);
    layout->addLayout(rechts);
    connect(BudgetBtn, &QPushButton::clicked, this, [this] { BudgetBtnClick(BudgetBtn); });
    connect(EBudget, &QLineEdit::returnPressed, this, [this] { BudgetBtnClick(EBudget); });
    connect(EWarnstufen, &QLineEdit::returnPressed, this, [this] { BudgetBtnClick(EWarnstufen); });

    connect(
        NeuerBenutzerBtn, &QPushButton::clicked, this, [this] { NeuerBenutzerBtnClick(NeuerBenutzerBtn); });
    connect(BenutzerloeschenBtn, &QPushButton::clicked, this,
        [this] { BenutzerloeschenBtnClick(BenutzerloeschenBtn); });
    connect(BenutzerwechselnBtn, &QPushButton::clicked, this,
        [this] { BenutzerwechselnBtnClick(BenutzerwechselnBtn); });
    connect(SchliessenBtn2, &QPushButton::clicked, this, &TSeite::SchliessenVerlangt);
    // Return in the password field switches, as the button would (eventFilter).
    EPasswort->installEventFilter(this);
    // A click selects a line, or the keyboard moves the selection; both count.
    connect(BenutzerList, &QListWidget::itemClicked, this, [this] { BenutzerListClick(BenutzerList); });
    connect(BenutzerList, &QListWidget::itemSelectionChanged, this, [this] {
        if (!FListeWirdGefuellt && GewaehlteNummer(BenutzerList) >= 0)
            BenutzerListClick(BenutzerList);
    });
    connect(
        BenutzerList, &QListWidget::itemDoubleClicked, this, [this] { BenutzerListDblClick(BenutzerList); });
}

bool TBenutzerSeite::eventFilter(QObject* objekt, QEvent* event)
{
    if (objekt == EPasswort && event->type() == QEvent::KeyPress) {
        const int taste = static_cast<QKeyEvent*>(event)->key();
        if (taste == Qt::Key_Return || taste == Qt::Key_Enter) {
            // Taken here and not passed on: a successful switch hides the field, the
            // focus moves on to "Schließen", and the dialog would press that with the
            // very same Return and close the window.
            if (BenutzerwechselnBtn->isVisible())
                BenutzerwechselnBtnClick(EPasswort);
            return true;
        }
    }
    return TSeite::eventFilter(objekt, event);
}

void TBenutzerSeite::BenutzerListeFuellen()
{
    FListeWirdGefuellt = true;
    BenutzerList->clear();
    for (int u = 1; u <= Daten.BenutzerAnzahl && u <= MaxBenutzer; ++u)
        NeueZeile(BenutzerList, Daten.Benutzer[u].Name.Text(), u);
    BenutzerList->setCurrentRow(-1);
    FListeWirdGefuellt = false;
    ZeigeBudget();
}

int TBenutzerSeite::BudgetBenutzer() const
{
    const int u = GewaehlteNummer(BenutzerList);
    return u < 0 ? AktBenutzer : u;
}

void TBenutzerSeite::ZeigeBudget()
{
    const TBudget budget = Budgets().Budget(BudgetBenutzer());
    EBudget->setText(budget.Gesetzt() ? ZweiStellen(budget.Betrag) : QString());
    EWarnstufen->setText(WarnstufenText(budget.Warnstufen));
}

void TBenutzerSeite::BudgetBtnClick(QObject*)
{
    const int u = BudgetBenutzer();
    if (u < 1)
        return;
    const QString betragText = EBudget->text().trimmed();
    const std::optional<double> betrag
        = betragText.isEmpty() ? std::optional(0.0) : LiesFliesskommazahl(betragText);
    if (!betrag || *betrag < 0 || *betrag >= 1e9) {
        EBudget->setFocus();
        Meldung(QStringLiteral(
            "Bitte geben Sie das Monatsbudget als Betrag in %1 ein (leer oder 0 = kein Budget).")
                    .arg(WaehrungsName()));
        return;
    }
    // Without a budget the levels do not matter.
    const std::optional<QList<int>> stufen
        = *betrag == 0 ? std::optional(StandardWarnstufen) : LiesWarnstufen(EWarnstufen->text());
    if (!stufen) {
        EWarnstufen->setFocus();
        Meldung(QStringLiteral(
            "Bitte geben Sie die Warnstufen als ganze Prozentzahlen von 1 bis %1 ein, etwa \"80, 100\".")
                    .arg(MaxWarnstufe));
        return;
    }
    const TErgebnis ergebnis = Budgets().SetzeBudget(u, TBudget { AufPfennig(*betrag), *stufen });
    if (!ergebnis.Ok())
        Meldung(ergebnis.Fehler);
    ZeigeBudget();
}

void TBenutzerSeite::NeuerBenutzerBtnClick(QObject*)
{
    if (Daten.BenutzerAnzahl < MaxBenutzer) {
        const int n = Daten.BenutzerAnzahl + 1;
        const QString name = InputBox(QStringLiteral("Neuer Benutzer - Name"),
            QStringLiteral("Bitte geben Sie einen Namen für den Benutzer ein."),
            QStringLiteral("Benutzer %1").arg(n));
        emit Gemeldet();
        TNeuerBenutzerErgebnis ergebnis = PruefeBenutzerName(name);
        if (ergebnis == TNeuerBenutzerErgebnis::Angelegt) {
            const QString kennwort1 = InputBox(QStringLiteral("Neuer Benutzer - Kennwort"),
                QStringLiteral("Bitte geben Sie ein Kennwort ein."), QString(), true);
            emit Gemeldet();
            const QString kennwort2 = InputBox(QStringLiteral("Neuer Benutzer - Kennwort bestätigen"),
                QStringLiteral("Bitte wiederhohlen Sie Ihr Kennwort."), QString(), true);
            emit Gemeldet();
            ergebnis = FuegeBenutzerHinzu(name, kennwort1, kennwort2, Now());
        }
        const QString meldung = NeuerBenutzerMeldung(ergebnis);
        if (!meldung.isEmpty())
            Meldung(meldung);
    }
    BenutzerListeFuellen();
}

void TBenutzerSeite::BenutzerloeschenBtnClick(QObject*)
{
    const int u = GewaehlteNummer(BenutzerList);
    if (u < 0) {
        KeineZeileGewaehlt();
        return;
    }
    if (u > 0)
        BenutzerEntfernen(u);
}

// The messages, the refilled user list and the switch button's visibility.
void TBenutzerSeite::BenutzerEntfernen(int u)
{
    const QString meldung = EntfernenMeldung(EntferneBenutzer(uint8_t(u)));
    if (!meldung.isEmpty())
        Meldung(meldung);
    BenutzerListeFuellen();
    BenutzerwechselnBtn->setVisible(Daten.BenutzerAnzahl >= 2);
}

void TBenutzerSeite::BenutzerListClick(QObject*)
{
    const int u = GewaehlteNummer(BenutzerList);
    if (u < 0) {
        KeineZeileGewaehlt();
        return;
    }
    ZeigeBudget();
    if (u == AktBenutzer) {
        BenutzerwechselnBtn->setVisible(false);
        return;
    }
    const bool mitKennwort = VorhandenerBenutzer(u) && !Daten.Benutzer[u].Kennwort.Leer();
    Label7->setVisible(mitKennwort);
    EPasswort->setVisible(mitKennwort);
    EPasswort->clear();
    if (mitKennwort)
        EPasswort->setFocus();
    BenutzerwechselnBtn->setVisible(true);
}

void TBenutzerSeite::BenutzerListDblClick(QObject*)
{
    BenutzerwechselnBtnClick(BenutzerwechselnBtn);
}

void TBenutzerSeite::BenutzerwechselnBtnClick(QObject*)
{
    const int k = GewaehlteNummer(BenutzerList);
    if (k < 0) {
        KeineZeileGewaehlt();
        return;
    }
    const int alt = AktBenutzer;
    if (VorhandenerBenutzer(k)) {
        const bool mitKennwort = !Daten.Benutzer[k].Kennwort.Leer();
        switch (WechsleBenutzer(k, EPasswort->text())) {
        case TWechselErgebnis::Gewechselt:
            if (mitKennwort) {
                Label7->setVisible(false);
                EPasswort->clear();
                EPasswort->setVisible(false);
                BenutzerwechselnBtn->setVisible(false);
            }
            break;
        case TWechselErgebnis::FalschesKennwort:
            EPasswort->clear();
            EPasswort->setFocus();
            Meldung(QStringLiteral("Falsches Kennwort"));
            break;
        case TWechselErgebnis::Ungueltig:
            break;
        }
    }
    emit BenutzerGewechselt();
    if (AktBenutzer != alt && TarifDesAktBenutzers() == 0) {
        Meldung(QStringLiteral("Es ist kein Tarif gewählt, bitte tun Sie dies nun."));
        emit TarifWaehlenVerlangt();
    }
}

void TBenutzerSeite::WaehrungAnzeigen()
{
    BudgetLabel->setText(MitWaehrungInKlammern(QStringLiteral("Monatsbudget")) + QLatin1Char(':'));
}
