#include "settings/TarifSeite.h"

#include "core/TarifVerwaltung.h"
#include "gui/Benannt.h"
#include "runtime/Dialoge.h"
#include "runtime/Format.h"
#include "runtime/Waehrung.h"
#include "store/Tarife.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString KeinTarifVorhanden = QStringLiteral("Kein Tarif vorhanden");
}

TTarifSeite::TTarifSeite(QWidget* parent)
    : TSeite(parent)
{
    setObjectName(QStringLiteral("TabTarife"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    TarifList = Benannt(new QListWidget(this), "TarifList");
    TarifList->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(TarifList, 1);

    auto* knoepfe = new QVBoxLayout;
    knoepfe->setSpacing(2);
    SelectTarif = Benannt(new QPushButton(QStringLiteral("Tarif wählen"), this), "SelectTarif");
    NewTarif = Benannt(new QPushButton(QStringLiteral("Neuer Tarif"), this), "NewTarif");
    EditTarif = Benannt(new QPushButton(QStringLiteral("Tarif bearbeiten"), this), "EditTarif");
    DeleteTarif = Benannt(new QPushButton(QStringLiteral("Tarif löschen"), this), "DeleteTarif");
    DeleteAllTarifs = Benannt(new QPushButton(QStringLiteral("Alle löschen"), this), "DeleteAllTarifs");
    SchliessenBtn1 = SchliessenKnopf("SchliessenBtn1");
    for (QPushButton* k : { SelectTarif, NewTarif, EditTarif, DeleteTarif, DeleteAllTarifs })
        knoepfe->addWidget(k);
    knoepfe->addStretch(1);
    knoepfe->addWidget(SchliessenBtn1);
    layout->addLayout(knoepfe);

    connect(SelectTarif, &QPushButton::clicked, this, [this] { SelectTarifClick(SelectTarif); });
    connect(NewTarif, &QPushButton::clicked, this, [this] { NewTarifClick(NewTarif); });
    connect(EditTarif, &QPushButton::clicked, this, [this] { EditTarifClick(EditTarif); });
    connect(DeleteTarif, &QPushButton::clicked, this, [this] { DeleteTarifClick(DeleteTarif); });
    connect(DeleteAllTarifs, &QPushButton::clicked, this, [this] { DeleteAllTarifsClick(DeleteAllTarifs); });
    connect(SchliessenBtn1, &QPushButton::clicked, this, [this] { SchliessenBtn1Click(SchliessenBtn1); });
    TabNewTarif = BaueEingabe();
}

QWidget* TTarifSeite::BaueEingabe()
{
    // The window's tabs take it.
    auto* seite = Benannt(new QWidget, "TabNewTarif");
    auto* layout = new QVBoxLayout(seite);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* felder = new QGridLayout;
    felder->setVerticalSpacing(4);
    EName = Benannt(new QLineEdit(seite), "EName");
    EPreis = Benannt(new QLineEdit(seite), "EPreis");
    EEinwahl = Benannt(new QLineEdit(seite), "EEinwahl");
    EGrundpreis = Benannt(new QLineEdit(seite), "EGrundpreis");
    // The units' names: WaehrungAnzeigen sets their texts.
    const struct {
        const char* text;
        QLineEdit* feld;
        const char* einheit;
    } zeilen[] = {
        { "Name des Tarifs:", EName, nullptr },
        { "Preis / Minute:", EPreis, "EinheitPreis" },
        { "Einwahlkosten:", EEinwahl, "EinheitEinwahl" },
        { "Grundgebühr / Monat:", EGrundpreis, "EinheitGrundpreis" },
    };
    int zeile = 0;
    for (const auto& z : zeilen) {
        auto* beschriftung = new QLabel(QString::fromUtf8(z.text), seite);
        beschriftung->setBuddy(z.feld);
        felder->addWidget(beschriftung, zeile, 0);
        if (z.einheit) {
            felder->addWidget(z.feld, zeile, 1);
            felder->addWidget(Benannt(new QLabel(seite), z.einheit), zeile, 2);
        }
        else {
            felder->addWidget(z.feld, zeile, 1, 1, 2);
        }
        // A click into a field selects its text (eventFilter).
        z.feld->installEventFilter(this);
        ++zeile;
    }
    layout->addLayout(felder);
    layout->addStretch(1);

    auto* knoepfe = new QHBoxLayout;
    OKBtn = Benannt(new QPushButton(QStringLiteral("OK"), seite), "OKBtn");
    AbortBtn = Benannt(new QPushButton(QStringLiteral("Abbrechen"), seite), "AbortBtn");
    // The dialog must not take Return in a field for a click on a button of its own.
    OKBtn->setAutoDefault(false);
    AbortBtn->setAutoDefault(false);
    knoepfe->addStretch(1);
    knoepfe->addWidget(OKBtn);
    knoepfe->addWidget(AbortBtn);
    layout->addLayout(knoepfe);

    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(OKBtn); });
    connect(AbortBtn, &QPushButton::clicked, this, [this] { AbortBtnClick(AbortBtn); });
    return seite;
}

bool TTarifSeite::eventFilter(QObject* objekt, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease)
        for (QLineEdit* feld : { EName, EPreis, EEinwahl, EGrundpreis })
            if (objekt == feld)
                feld->selectAll();
    return TSeite::eventFilter(objekt, event);
}

void TTarifSeite::OeffneEingabe(bool neu)
{
    FNeu = neu;
    FBearbeiteterTarif = 0;
    emit EingabeGeoeffnet(neu ? QStringLiteral("Neuer Tarif") : QStringLiteral("Tarif bearbeiten"));
}

void TTarifSeite::SchliesseEingabe()
{
    emit EingabeGeschlossen();
    EingabeVergessen();
}

void TTarifSeite::EingabeVergessen()
{
    FBearbeiteterTarif = 0;
}

void TTarifSeite::SchliessenBtn1Click(QObject*)
{
    if (TarifDesAktBenutzers() == 0)
        Meldung(QStringLiteral(
            "Es ist kein Tarif aktiviert! Bitte wählen Sie einen mit dem Button \"Tarif wählen\""));
    emit SchliessenVerlangt();
}

QListWidgetItem* TTarifSeite::ZeileVon(int slot) const
{
    for (int i = 0; i < TarifList->count(); ++i)
        if (TarifList->item(i)->data(Qt::UserRole).toInt() == slot)
            return TarifList->item(i);
    return nullptr;
}

void TTarifSeite::FuelleTarifListe()
{
    TarifList->clear();
    for (int k = 1; k <= MaxTarife; ++k)
        if (!Tarife[k].Name.Leer())
            NeueZeile(TarifList, Tarife[k].Name.Text(), k);
    const int gewaehlt = TarifDesAktBenutzers();
    if (QListWidgetItem* zeile = gewaehlt >= 1 && gewaehlt <= MaxTarife ? ZeileVon(gewaehlt) : nullptr)
        TarifList->setCurrentItem(zeile);
}

void TTarifSeite::NewTarifClick(QObject*)
{
    OeffneEingabe(true);
    EName->clear();
    EEinwahl->setText(QStringLiteral("0"));
    EGrundpreis->setText(QStringLiteral("0"));
    EPreis->setText(QStringLiteral("0"));
    EName->setFocus();
}

void TTarifSeite::EditTarifClick(QObject*)
{
    if (TarifList->count() == 0) {
        Meldung(KeinTarifVorhanden);
        return;
    }
    OeffneEingabe(false);
    const int slot = GewaehlteNummer(TarifList);
    if (slot < 0) {
        KeineZeileGewaehlt();
        return;
    }
    FBearbeiteterTarif = slot;
    const TTarif& t = Tarife[slot];
    EName->setText(t.Name.Text());
    EPreis->setText(FloatToStr(t.Preis));
    EEinwahl->setText(FloatToStr(t.Einwahl));
    EGrundpreis->setText(FloatToStr(t.Grundpreis));
}

void TTarifSeite::OKBtnClick(QObject*)
{
    const TTarifEingabe eingabe { EName->text(), EPreis->text(), EEinwahl->text(), EGrundpreis->text() };
    if (!FNeu && FBearbeiteterTarif == 0) {
        KeineZeileGewaehlt();
        return;
    }
    const TTarifErgebnis ergebnis = FNeu ? NeuerTarif(eingabe) : TarifAendern(FBearbeiteterTarif, eingabe);

    switch (ergebnis.art) {
    case TTarifErgebnis::Gespeichert:
        if (FNeu)
            NeueZeile(TarifList, ergebnis.Name, ergebnis.Slot);
        else if (QListWidgetItem* zeile = ZeileVon(FBearbeiteterTarif))
            zeile->setText(ergebnis.Name);
        break;
    case TTarifErgebnis::KeinPlatz:
    case TTarifErgebnis::NichtGefunden:
        if (!ergebnis.Meldung(eingabe).isEmpty())
            Meldung(ergebnis.Meldung(eingabe));
        break;
    case TTarifErgebnis::NameLeer:
    case TTarifErgebnis::NameVergeben:
    case TTarifErgebnis::KeineZahl: {
        // The entry stays open to be put right.
        QLineEdit* felder[] = { EName, EPreis, EEinwahl, EGrundpreis };
        QLineEdit* feld = felder[ergebnis.feld];
        Meldung(ergebnis.Meldung(eingabe));
        feld->setFocus();
        feld->selectAll();
        return;
    }
    }
    SchliesseEingabe();
}

void TTarifSeite::AbortBtnClick(QObject*)
{
    SchliesseEingabe();
}

void TTarifSeite::DeleteTarifClick(QObject*)
{
    if (TarifList->count() == 0) {
        Meldung(KeinTarifVorhanden);
    }
    else {
        const int slot = GewaehlteNummer(TarifList);
        if (slot < 0) {
            KeineZeileGewaehlt();
            return;
        }
        TarifLoeschen(slot);
    }
    FuelleTarifListe();
}

void TTarifSeite::DeleteAllTarifsClick(QObject*)
{
    const int erste = MessageDlg(
        QStringLiteral(
            "Wollen Sie alle Tarife löschen? Dieser Schritt kann nicht rückgängig gemacht werden!"),
        mtConfirmation, mbYes | mbNo);
    emit Gemeldet();
    if (erste != mrYes)
        return;
    const int zweite
        = MessageDlg(QStringLiteral("ACHTUNG! Sollen alle Tarifangaben unwiederruflich gelöscht werden?"),
            mtWarning, mbYes | mbNo);
    emit Gemeldet();
    if (zweite != mrYes)
        return;
    TarifList->clear();
    AlleTarifeLoeschen();
    Meldung(QStringLiteral("Es wurden alle Tarife gelöscht"));
}

void TTarifSeite::SelectTarifClick(QObject*)
{
    if (TarifList->count() == 0) {
        Meldung(KeinTarifVorhanden);
        return;
    }
    const int slot = GewaehlteNummer(TarifList);
    if (slot < 0) {
        KeineZeileGewaehlt();
        return;
    }
    TarifWaehlen(slot);
}

void TTarifSeite::WaehrungAnzeigen()
{
    for (const char* name : { "EinheitPreis", "EinheitEinwahl" })
        if (auto* einheit = TabNewTarif->findChild<QLabel*>(QLatin1String(name)))
            einheit->setText(KleineEinheit());
    if (auto* einheit = TabNewTarif->findChild<QLabel*>(QStringLiteral("EinheitGrundpreis")))
        einheit->setText(WaehrungsZeichen());
}
