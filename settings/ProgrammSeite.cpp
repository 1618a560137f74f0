// The settings window's program page: window in front, minimized start, start with the
// session and the user to start with.
#include "components/Ras.h"
#include "core/EuroUmstellung.h"
#include "platform/Autostart.h"
#include "platform/Benannt.h"
#include "runtime/Dialoge.h"
#include "runtime/Waehrung.h"
#include "settings/Seitenbausteine.h"
#include "settings/Settings.h"
#include "store/Daten.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

QWidget* TForm2::BaueProgrammSeite()
{
    auto* seite = Benannt(new QWidget, "TabProgramm");
    auto* layout = new QVBoxLayout(seite);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(1);
    CheckBox1 = Benannt(new QCheckBox(QStringLiteral("Immer im Vordergrund"), seite), "CheckBox1");
    CheckBox1->setToolTip(QStringLiteral("Kostenwolf vor allen anderen Programmen anzeigen"));
    MiniStartBox = Benannt(new QCheckBox(QStringLiteral("Minimiert starten"), seite), "MiniStartBox");
    MiniStartBox->setToolTip(QStringLiteral("Soll das Programm minimiert gestartet werden?"));
    AutostartBox = Benannt(new QCheckBox(QStringLiteral("Beim Anmelden starten"), seite), "AutostartBox");
    AutostartBox->setToolTip(QStringLiteral("Kostenwolf mit der Arbeitsfläche starten"));
    layout->addWidget(CheckBox1);
    layout->addWidget(MiniStartBox);
    layout->addWidget(AutostartBox);
    layout->addWidget(new QLabel(QStringLiteral("Starten mit:"), seite));
    RadioButton1 = Benannt(new QRadioButton(QStringLiteral("Standardbenutzer"), seite), "RadioButton1");
    RadioButton2 = Benannt(new QRadioButton(QStringLiteral("Benutzer 2"), seite), "RadioButton2");
    RadioButton3 = Benannt(new QRadioButton(QStringLiteral("Benutzer 3"), seite), "RadioButton3");
    RadioButton4 = Benannt(new QRadioButton(QStringLiteral("Benutzer 4"), seite), "RadioButton4");
    RadioButton1->setChecked(true);
    for (QRadioButton* r : { RadioButton1, RadioButton2, RadioButton3, RadioButton4 })
        layout->addWidget(r);
    layout->addStretch(1);
    VerbindungsquelleLabel = Benannt(new QLabel(seite), "VerbindungsquelleLabel");
    VerbindungsquelleLabel->setWordWrap(true);
    VerbindungsquelleLabel->setToolTip(
        QStringLiteral("Woher Kostenwolf erfährt, dass eine Verbindung besteht"));
    layout->addWidget(VerbindungsquelleLabel);
    VerbindungsquelleAnzeigen();
    auto* waehrung = new QHBoxLayout;
    WaehrungLabel = Benannt(new QLabel(seite), "WaehrungLabel");
    EuroBtn = Benannt(new QPushButton(QStringLiteral("Auf Euro umstellen…"), seite), "EuroBtn");
    EuroBtn->setToolTip(QStringLiteral("Alle Beträge einmalig zum festen Kurs in Euro umrechnen"));
    EuroBtn->setAutoDefault(false);
    waehrung->addWidget(WaehrungLabel);
    waehrung->addStretch(1);
    waehrung->addWidget(EuroBtn);
    layout->addLayout(waehrung);
    SchliessenBtn3 = SchliessenKnopf(seite, "SchliessenBtn3");
    auto* unten = new QHBoxLayout;
    unten->addStretch(1);
    unten->addWidget(SchliessenBtn3);
    layout->addLayout(unten);

    // Only the user's clicks write the options; setting the boxes from the record
    // would write back what was just read.
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(CheckBox1); });
    connect(MiniStartBox, &QCheckBox::clicked, this, [this] { MiniStartBoxClick(MiniStartBox); });
    connect(AutostartBox, &QCheckBox::clicked, this, [this] { AutostartBoxClick(AutostartBox); });
    connect(RadioButton1, &QRadioButton::clicked, this, [this] { RadioButton1Click(RadioButton1); });
    connect(RadioButton2, &QRadioButton::clicked, this, [this] { RadioButton2Click(RadioButton2); });
    connect(RadioButton3, &QRadioButton::clicked, this, [this] { RadioButton3Click(RadioButton3); });
    connect(RadioButton4, &QRadioButton::clicked, this, [this] { RadioButton4Click(RadioButton4); });
    connect(EuroBtn, &QPushButton::clicked, this, [this] { EuroBtnClick(EuroBtn); });
    connect(SchliessenBtn3, &QPushButton::clicked, this, [this] { SchliessenBtn3Click(SchliessenBtn3); });
    return seite;
}

void TForm2::StartBenutzerAnzeigen()
{
    QRadioButton* knoepfe[] = { RadioButton1, RadioButton2, RadioButton3, RadioButton4 };
    for (int n = 2; n <= MaxBenutzer; ++n)
        knoepfe[n - 1]->setVisible(false);
    RadioButton1->setText(OhneKuerzel(Daten.Benutzer[1].Name.Text()));
    for (int n = 2; n <= MaxBenutzer; ++n)
        if (Daten.BenutzerAnzahl >= n) {
            knoepfe[n - 1]->setText(OhneKuerzel(Daten.Benutzer[n].Name.Text()));
            knoepfe[n - 1]->setVisible(true);
        }
    // A group of radio buttons never lets the last checked one go by itself.
    for (QRadioButton* r : knoepfe) {
        r->setAutoExclusive(false);
        r->setChecked(false);
    }
    if (GueltigerBenutzer(Daten.StartBenutzer))
        knoepfe[Daten.StartBenutzer - 1]->setChecked(true);
    for (QRadioButton* r : knoepfe)
        r->setAutoExclusive(true);
}

void TForm2::VerbindungsquelleAnzeigen()
{
    VerbindungsquelleLabel->setText(
        QStringLiteral("Verbindungsquelle: ") + QString::fromLocal8Bit(RasQuellenName()));
}

void TForm2::WaehrungAnzeigen()
{
    WaehrungLabel->setText(QStringLiteral("Währung: ") + WaehrungsZeichen());
    EuroBtn->setVisible(Waehrung == TWaehrung::DM);
    for (const char* name : { "EinheitPreis", "EinheitEinwahl" })
        if (auto* einheit = findChild<QLabel*>(QLatin1String(name)))
            einheit->setText(KleineEinheit());
    if (auto* einheit = findChild<QLabel*>(QStringLiteral("EinheitGrundpreis")))
        einheit->setText(WaehrungsZeichen());
    if (BudgetLabel)
        BudgetLabel->setText(MitWaehrungInKlammern(QStringLiteral("Monatsbudget")) + QLatin1Char(':'));
}

void TForm2::EuroBtnClick(QObject*)
{
    const int antwort = MessageDlg(EuroFrageText, mtConfirmation, mbYes | mbNo);
    FormActivate(this);
    if (antwort != mrYes)
        return;
    emit EuroUmstellungGewuenscht();
    WaehrungAnzeigen();
    ZeigeBudget();
}

void TForm2::CheckBox1Click(QObject*)
{
    Daten.FensterStil = CheckBox1->isChecked() ? 3 : 0;
    emit FensterStilGeaendert(Daten.FensterStil);
}

void TForm2::MiniStartBoxClick(QObject*)
{
    Daten.MinimiertStarten = MiniStartBox->isChecked() ? 1 : 0;
}

void TForm2::AutostartBoxClick(QObject*)
{
    const bool an = AutostartBox->isChecked();
    if (!SetzeStartBeimAnmelden(an, QCoreApplication::applicationFilePath()))
        Meldung(
            (an ? QStringLiteral("Der Eintrag für den Start beim Anmelden konnte nicht angelegt werden: %1")
                : QStringLiteral("Der Eintrag für den Start beim Anmelden konnte nicht entfernt werden: %1"))
                .arg(AutostartDatei()));
    // The box says what is on the disk, also after a failure.
    AutostartBox->setChecked(StartetBeimAnmelden());
}

void TForm2::RadioButton1Click(QObject*)
{
    Daten.StartBenutzer = 1;
}

void TForm2::RadioButton2Click(QObject*)
{
    Daten.StartBenutzer = 2;
}

void TForm2::RadioButton3Click(QObject*)
{
    Daten.StartBenutzer = 3;
}

void TForm2::RadioButton4Click(QObject*)
{
    Daten.StartBenutzer = 4;
}

void TForm2::SchliessenBtn3Click(QObject*)
{
    close();
}
