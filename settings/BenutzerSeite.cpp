// The settings window's user page: new users, removal and the switch to another user.
#include "core/BenutzerVerwaltung.h"
#include "core/Budget.h"
#include "core/TarifVerwaltung.h"
#include "core/Zahleingabe.h"
#include "platform/Benannt.h"
#include "runtime/Dialoge.h"
#include "runtime/Format.h"
#include "runtime/Waehrung.h"
#include "settings/Seitenbausteine.h"
#include "settings/Settings.h"
#include "store/Abrechnung.h"
#include "store/Daten.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QWidget* TForm2::BaueBenutzerSeite()
{
    auto* seite = Benannt(new QWidget, "TabBenutzer");
    auto* layout = new QHBoxLayout(seite);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    BenutzerList = Benannt(new QListWidget(seite), "BenutzerList");
    BenutzerList->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(BenutzerList, 1);

    auto* rechts = new QVBoxLayout;
    rechts->setSpacing(2);
    NeuerBenutzerBtn = Benannt(new QPushButton(QStringLiteral("Neuer Benutzer"), seite), "NeuerBenutzerBtn");
    BenutzerloeschenBtn
        = Benannt(new QPushButton(QStringLiteral("Benutzer löschen"), seite), "BenutzerloeschenBtn");
    BenutzerwechselnBtn
        = Benannt(new QPushButton(QStringLiteral("Benutzer wechseln"), seite), "BenutzerwechselnBtn");
    Label7 = Benannt(new QLabel(QStringLiteral("Kennwort:"), seite), "Label7");
    EPasswort = Benannt(new QLineEdit(seite), "EPasswort");
    EPasswort->setEchoMode(QLineEdit::Password);
    EPasswort->setMaxLength(255);
    Label7->setBuddy(EPasswort);
    SchliessenBtn2 = SchliessenKnopf(seite, "SchliessenBtn2");
    BenutzerwechselnBtn->setVisible(false);
    Label7->setVisible(false);
    EPasswort->setVisible(false);
    for (QWidget* w : std::initializer_list<QWidget*> {
             NeuerBenutzerBtn, BenutzerloeschenBtn, BenutzerwechselnBtn, Label7, EPasswort })
        rechts->addWidget(w);
    rechts->addSpacing(8);
    BudgetLabel
        = Benannt(new QLabel(MitWaehrungInKlammern(QStringLiteral("Monatsbudget")) + QLatin1Char(':'), seite),
            "BudgetLabel");
    EBudget = Benannt(new QLineEdit(seite), "EBudget");
    EBudget->setPlaceholderText(QStringLiteral("kein Budget"));
    BudgetLabel->setBuddy(EBudget);
    WarnstufenLabel = Benannt(new QLabel(QStringLiteral("Warnen bei (%):"), seite), "WarnstufenLabel");
    EWarnstufen = Benannt(new QLineEdit(seite), "EWarnstufen");
    WarnstufenLabel->setBuddy(EWarnstufen);
    BudgetBtn = Benannt(new QPushButton(QStringLiteral("Budget übernehmen"), seite), "BudgetBtn");
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
    connect(SchliessenBtn2, &QPushButton::clicked, this, [this] { SchliessenBtn2Click(SchliessenBtn2); });
    // Return in the password field switches, as the button would (eventFilter).
    EPasswort->installEventFilter(this);
    // A click selects a line, or the keyboard moves the selection; both count.
    connect(BenutzerList, &QListWidget::itemClicked, this, [this] { BenutzerListClick(BenutzerList); });
    connect(BenutzerList, &QListWidget::itemSelectionChanged, this, [this] {
        if (!FListeWirdGefuellt && AusgewaehlteZeile(BenutzerList) >= 0)
            BenutzerListClick(BenutzerList);
    });
    connect(
        BenutzerList, &QListWidget::itemDoubleClicked, this, [this] { BenutzerListDblClick(BenutzerList); });
    return seite;
}

void TForm2::SchliessenBtn2Click(QObject*)
{
    close();
}

void TForm2::BenutzerListeFuellen()
{
    FListeWirdGefuellt = true;
    BenutzerList->clear();
    BenutzerList->addItems(BenutzerNamen());
    BenutzerList->setCurrentRow(-1);
    FListeWirdGefuellt = false;
    ZeigeBudget();
}

int TForm2::BudgetBenutzer() const
{
    const int zeile = AusgewaehlteZeile(BenutzerList);
    return zeile < 0 ? AktBenutzer : BenutzerNachName(BenutzerList->item(zeile)->text());
}

void TForm2::ZeigeBudget()
{
    const TBudget budget = Budgets().Budget(BudgetBenutzer());
    EBudget->setText(budget.Gesetzt() ? ZweiStellen(budget.Betrag) : QString());
    EWarnstufen->setText(WarnstufenText(budget.Warnstufen));
}

void TForm2::BudgetBtnClick(QObject*)
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
    const QString fehler = Budgets().SetzeBudget(u, TBudget { AufPfennig(*betrag), *stufen });
    if (!fehler.isEmpty())
        Meldung(fehler);
    ZeigeBudget();
}

void TForm2::NeuerBenutzerBtnClick(QObject*)
{
    if (Daten.BenutzerAnzahl < MaxBenutzer) {
        const int n = Daten.BenutzerAnzahl + 1;
        const QString name = InputBox(QStringLiteral("Neuer Benutzer - Name"),
            QStringLiteral("Bitte geben Sie einen Namen für den Benutzer ein."),
            QStringLiteral("Benutzer %1").arg(n));
        FormActivate(this);
        TNeuerBenutzerErgebnis ergebnis = PruefeBenutzerName(name);
        if (ergebnis == TNeuerBenutzerErgebnis::Angelegt) {
            const QString kennwort1 = InputBox(QStringLiteral("Neuer Benutzer - Kennwort"),
                QStringLiteral("Bitte geben Sie ein Kennwort ein."), QString(), true);
            FormActivate(this);
            const QString kennwort2 = InputBox(QStringLiteral("Neuer Benutzer - Kennwort bestätigen"),
                QStringLiteral("Bitte wiederhohlen Sie Ihr Kennwort."), QString(), true);
            FormActivate(this);
            ergebnis = FuegeBenutzerHinzu(name, kennwort1, kennwort2, Now());
        }
        const QString meldung = NeuerBenutzerMeldung(ergebnis);
        if (!meldung.isEmpty())
            Meldung(meldung);
    }
    BenutzerListeFuellen();
}

void TForm2::BenutzerloeschenBtnClick(QObject*)
{
    const int zeile = AusgewaehlteZeile(BenutzerList);
    if (zeile < 0) {
        KeineZeileGewaehlt();
        return;
    }
    const int u = BenutzerNachName(BenutzerList->item(zeile)->text());
    if (u > 0)
        BenutzerEntfernen(uint8_t(u));
}

void TForm2::BenutzerListClick(QObject*)
{
    const int zeile = AusgewaehlteZeile(BenutzerList);
    if (zeile < 0) {
        KeineZeileGewaehlt();
        return;
    }
    const int u = BenutzerNachName(BenutzerList->item(zeile)->text());
    ZeigeBudget();
    if (u == AktBenutzer) {
        BenutzerwechselnBtn->setVisible(false);
        return;
    }
    const bool mitKennwort = u > 0 && !Daten.Benutzer[u].Kennwort.Leer();
    Label7->setVisible(mitKennwort);
    EPasswort->setVisible(mitKennwort);
    EPasswort->clear();
    if (mitKennwort)
        EPasswort->setFocus();
    BenutzerwechselnBtn->setVisible(true);
}

void TForm2::BenutzerListDblClick(QObject*)
{
    BenutzerwechselnBtnClick(BenutzerwechselnBtn);
}

void TForm2::BenutzerwechselnBtnClick(QObject*)
{
    const int zeile = AusgewaehlteZeile(BenutzerList);
    if (zeile < 0) {
        KeineZeileGewaehlt();
        return;
    }
    const int k = BenutzerNachName(BenutzerList->item(zeile)->text());
    const int alt = AktBenutzer;
    if (k > 0) {
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
    SetzeTitel();
    if (AktBenutzer != alt && TarifDesAktBenutzers() == 0) {
        Meldung(QStringLiteral("Es ist kein Tarif gewählt, bitte tun Sie dies nun."));
        QTreeWidgetItem* tarife = TreeView1->topLevelItem(0);
        if (TreeView1->currentItem() == tarife)
            TreeView1Change(TreeView1, tarife);
        else
            TreeView1->setCurrentItem(tarife);
    }
}

void BenutzerEntfernen(uint8_t u)
{
    const QString meldung = EntfernenMeldung(EntferneBenutzer(u));
    if (!Form2) {
        if (!meldung.isEmpty())
            ShowMessage(meldung);
        return;
    }
    if (!meldung.isEmpty())
        Form2->Meldung(meldung);
    Form2->BenutzerListeFuellen();
    Form2->BenutzerwechselnBtn->setVisible(Daten.BenutzerAnzahl >= 2);
}
