#include "settings/ProgrammSeite.h"

#include "components/Ras.h"
#include "core/EuroUmstellung.h"
#include "gui/Benannt.h"
#include "platform/Autostart.h"
#include "runtime/Dialoge.h"
#include "runtime/Waehrung.h"
#include "store/Daten.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TProgrammSeite::TProgrammSeite(QWidget* parent)
    : TSeite(parent)
{
    setObjectName(QStringLiteral("TabProgramm"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(1);
    CheckBox1 = Benannt(new QCheckBox(QStringLiteral("Immer im Vordergrund"), this), "CheckBox1");
    CheckBox1->setToolTip(QStringLiteral("Kostenwolf vor allen anderen Programmen anzeigen"));
    MiniStartBox = Benannt(new QCheckBox(QStringLiteral("Minimiert starten"), this), "MiniStartBox");
    MiniStartBox->setToolTip(QStringLiteral("Soll das Programm minimiert gestartet werden?"));
    AutostartBox = Benannt(new QCheckBox(QStringLiteral("Beim Anmelden starten"), this), "AutostartBox");
    AutostartBox->setToolTip(QStringLiteral("Kostenwolf mit der Arbeitsfläche starten"));
    layout->addWidget(CheckBox1);
    layout->addWidget(MiniStartBox);
    layout->addWidget(AutostartBox);
    layout->addWidget(new QLabel(QStringLiteral("Starten mit:"), this));
    RadioButton1 = Benannt(new QRadioButton(QStringLiteral("Standardbenutzer"), this), "RadioButton1");
    RadioButton2 = Benannt(new QRadioButton(QStringLiteral("Benutzer 2"), this), "RadioButton2");
    RadioButton3 = Benannt(new QRadioButton(QStringLiteral("Benutzer 3"), this), "RadioButton3");
    RadioButton4 = Benannt(new QRadioButton(QStringLiteral("Benutzer 4"), this), "RadioButton4");
    RadioButton1->setChecked(true);
    for (int u = 1; u <= MaxBenutzer; ++u) {
        layout->addWidget(StartKnopf(u));
        connect(StartKnopf(u), &QRadioButton::clicked, this, [this, u] { StartBenutzerClick(u); });
    }
    layout->addStretch(1);
    VerbindungsquelleLabel = Benannt(new QLabel(this), "VerbindungsquelleLabel");
    VerbindungsquelleLabel->setWordWrap(true);
    VerbindungsquelleLabel->setToolTip(
        QStringLiteral("Woher Kostenwolf erfährt, dass eine Verbindung besteht"));
    // Asked for each time the page is shown: asking now would connect to the system bus
    // before the main window is up. Until then a typical answer gives the page its size.
    VerbindungsquelleLabel->setText(QStringLiteral("Verbindungsquelle: Netzwerkschnittstellen ppp*"));
    layout->addWidget(VerbindungsquelleLabel);
    auto* waehrung = new QHBoxLayout;
    WaehrungLabel = Benannt(new QLabel(this), "WaehrungLabel");
    EuroBtn = Benannt(new QPushButton(QStringLiteral("Auf Euro umstellen…"), this), "EuroBtn");
    EuroBtn->setToolTip(QStringLiteral("Alle Beträge einmalig zum festen Kurs in Euro umrechnen"));
    EuroBtn->setAutoDefault(false);
    waehrung->addWidget(WaehrungLabel);
    waehrung->addStretch(1);
    waehrung->addWidget(EuroBtn);
    layout->addLayout(waehrung);
    SchliessenBtn3 = SchliessenKnopf("SchliessenBtn3");
    auto* unten = new QHBoxLayout;
    unten->addStretch(1);
    unten->addWidget(SchliessenBtn3);
    layout->addLayout(unten);

    // Only the user's clicks write the options; setting the boxes from the record
    // would write back what was just read.
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(CheckBox1); });
    connect(MiniStartBox, &QCheckBox::clicked, this, [this] { MiniStartBoxClick(MiniStartBox); });
    connect(AutostartBox, &QCheckBox::clicked, this, [this] { AutostartBoxClick(AutostartBox); });
    connect(EuroBtn, &QPushButton::clicked, this, [this] { EuroBtnClick(EuroBtn); });
    connect(SchliessenBtn3, &QPushButton::clicked, this, &TSeite::SchliessenVerlangt);
}

QRadioButton* TProgrammSeite::StartKnopf(int benutzer) const
{
    QRadioButton* const knoepfe[] = { RadioButton1, RadioButton2, RadioButton3, RadioButton4 };
    return knoepfe[benutzer - 1];
}

void TProgrammSeite::Anzeigen()
{
    StartBenutzerAnzeigen();
    MiniStartBox->setChecked(Daten.MinimiertStarten == MinimiertStartenAn);
    CheckBox1->setChecked(Daten.FensterStil == FensterStilImVordergrund);
    AutostartAnzeigen();
    VerbindungsquelleAnzeigen();
}

void TProgrammSeite::StartBenutzerAnzeigen()
{
    for (int n = 2; n <= MaxBenutzer; ++n)
        StartKnopf(n)->setVisible(false);
    RadioButton1->setText(OhneKuerzel(Daten.Benutzer[1].Name.Text()));
    for (int n = 2; n <= MaxBenutzer; ++n)
        if (Daten.BenutzerAnzahl >= n) {
            StartKnopf(n)->setText(OhneKuerzel(Daten.Benutzer[n].Name.Text()));
            StartKnopf(n)->setVisible(true);
        }
    // A group of radio buttons never lets the last checked one go by itself.
    for (int n = 1; n <= MaxBenutzer; ++n) {
        StartKnopf(n)->setAutoExclusive(false);
        StartKnopf(n)->setChecked(false);
    }
    if (GueltigerBenutzer(Daten.StartBenutzer))
        StartKnopf(Daten.StartBenutzer)->setChecked(true);
    for (int n = 1; n <= MaxBenutzer; ++n)
        StartKnopf(n)->setAutoExclusive(true);
}

void TProgrammSeite::AutostartAnzeigen()
{
    AutostartBox->setChecked(StartetBeimAnmelden());
}

void TProgrammSeite::VerbindungsquelleAnzeigen()
{
    VerbindungsquelleLabel->setText(
        QStringLiteral("Verbindungsquelle: ") + QString::fromLocal8Bit(RasQuellenName()));
}

void TProgrammSeite::CheckBox1Click(QObject*)
{
    Daten.FensterStil = CheckBox1->isChecked() ? FensterStilImVordergrund : FensterStilNormal;
    emit FensterStilGeaendert(Daten.FensterStil);
}

void TProgrammSeite::MiniStartBoxClick(QObject*)
{
    Daten.MinimiertStarten = MiniStartBox->isChecked() ? MinimiertStartenAn : MinimiertStartenAus;
}

void TProgrammSeite::AutostartBoxClick(QObject*)
{
    const bool an = AutostartBox->isChecked();
    if (!SetzeStartBeimAnmelden(an, QCoreApplication::applicationFilePath()))
        Meldung(
            (an ? QStringLiteral("Der Eintrag für den Start beim Anmelden konnte nicht angelegt werden: %1")
                : QStringLiteral("Der Eintrag für den Start beim Anmelden konnte nicht entfernt werden: %1"))
                .arg(AutostartDatei()));
    // The box says what is on the disk, also after a failure.
    AutostartAnzeigen();
}

void TProgrammSeite::StartBenutzerClick(int benutzer)
{
    Daten.StartBenutzer = uint8_t(benutzer);
}

void TProgrammSeite::WaehrungAnzeigen()
{
    WaehrungLabel->setText(QStringLiteral("Währung: ") + WaehrungsZeichen());
    EuroBtn->setVisible(Waehrung == TWaehrung::DM);
}

void TProgrammSeite::EuroBtnClick(QObject*)
{
    const int antwort = MessageDlg(EuroFrageText, mtConfirmation, mbYes | mbNo);
    emit Gemeldet();
    if (antwort == mrYes)
        emit EuroUmstellungGewuenscht();
}
