// The settings window's tariff pages: the list of tariffs and the entry of a new or
// changed one.
#include "settings/TarifSeite.h"

#include "core/BerichtsDatei.h"
#include "core/TarifVerwaltung.h"
#include "core/TarifZeiten.h"
#include "gui/Benannt.h"
#include "runtime/Dialoge.h"
#include "runtime/Format.h"
#include "runtime/Waehrung.h"
#include "settings/ZeitenFenster.h"
#include "store/Regeldatei.h"
#include "store/Tarife.h"

#include <QDir>
#include <QFileInfo>
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
    ZeitenTarif = Benannt(new QPushButton(QStringLiteral("Zeiten…"), this), "ZeitenTarif");
    ImportTarif = Benannt(new QPushButton(QStringLiteral("Importieren…"), this), "ImportTarif");
    ExportTarif = Benannt(new QPushButton(QStringLiteral("Exportieren…"), this), "ExportTarif");
    SchliessenBtn1 = SchliessenKnopf("SchliessenBtn1");
    for (QPushButton* k : { SelectTarif, NewTarif, EditTarif, DeleteTarif, DeleteAllTarifs, ZeitenTarif,
             ImportTarif, ExportTarif })
        knoepfe->addWidget(k);
    knoepfe->addStretch(1);
    knoepfe->addWidget(SchliessenBtn1);
    layout->addLayout(knoepfe);

    connect(SelectTarif, &QPushButton::clicked, this, [this] { SelectTarifClick(SelectTarif); });
    connect(NewTarif, &QPushButton::clicked, this, [this] { NewTarifClick(NewTarif); });
    connect(EditTarif, &QPushButton::clicked, this, [this] { EditTarifClick(EditTarif); });
    connect(DeleteTarif, &QPushButton::clicked, this, [this] { DeleteTarifClick(DeleteTarif); });
    connect(DeleteAllTarifs, &QPushButton::clicked, this, [this] { DeleteAllTarifsClick(DeleteAllTarifs); });
    connect(ZeitenTarif, &QPushButton::clicked, this, [this] { ZeitenTarifClick(ZeitenTarif); });
    connect(ImportTarif, &QPushButton::clicked, this, [this] { ImportTarifClick(ImportTarif); });
    connect(ExportTarif, &QPushButton::clicked, this, [this] { ExportTarifClick(ExportTarif); });
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
        TTarifErgebnis::Feld text;
        QLineEdit* feld;
        const char* einheit;
    } zeilen[] = {
        { TTarifErgebnis::FeldName, EName, nullptr },
        { TTarifErgebnis::FeldPreis, EPreis, "EinheitPreis" },
        { TTarifErgebnis::FeldEinwahl, EEinwahl, "EinheitEinwahl" },
        { TTarifErgebnis::FeldGrundpreis, EGrundpreis, "EinheitGrundpreis" },
    };
    int zeile = 0;
    for (const auto& z : zeilen) {
        // The same names as the messages about the fields.
        auto* beschriftung = new QLabel(TarifFeldName(z.text) + QLatin1Char(':'), seite);
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
    case TTarifErgebnis::KeineZahl:
    case TTarifErgebnis::Negativ:
    case TTarifErgebnis::RegelnBleiben: {
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
    // Chosen, the tariff must be on disk: the report from the command line reads it.
    if (const int slot = GewaehlterTarif(); slot && TarifWaehlen(slot))
        if (const QString fehler = SpeicherFehlerText(SichereTarife()); !fehler.isEmpty())
            Meldung(fehler);
}

void TTarifSeite::WaehrungAnzeigen()
{
    for (const char* name : { "EinheitPreis", "EinheitEinwahl" })
        if (auto* einheit = TabNewTarif->findChild<QLabel*>(QLatin1String(name)))
            einheit->setText(KleineEinheit());
    if (auto* einheit = TabNewTarif->findChild<QLabel*>(QStringLiteral("EinheitGrundpreis")))
        einheit->setText(WaehrungsZeichen());
}

int TTarifSeite::GewaehlterTarif()
{
    if (TarifList->count() == 0) {
        Meldung(KeinTarifVorhanden);
        return 0;
    }
    const int slot = GewaehlteNummer(TarifList);
    if (slot < 0) {
        KeineZeileGewaehlt();
        return 0;
    }
    return slot;
}

void TTarifSeite::ZeitenTarifClick(QObject*)
{
    const int slot = GewaehlterTarif();
    if (slot == 0)
        return;
    QString fehler;
    const std::optional<TTarifregeln> regeln = ZeitenDesTarifs(slot, fehler);
    if (!regeln) {
        Meldung(fehler);
        return;
    }
    TZeitenFenster fenster(
        Tarife[slot].Name.Text(), *regeln,
        [slot](const TTarifregeln& neu) {
            const TSpeicherErgebnis ergebnis = SpeichereZeiten(slot, neu);
            // A locked file was named at start-up already: nothing more to tell.
            return TErgebnis { SpeicherFehlerText(ergebnis) };
        },
        this);
    fenster.exec();
    emit Gemeldet();
}

namespace {
const QString RegelFilter = QStringLiteral("Tarifbeschreibung (*.rst)|*.rst|Alle Dateien (*)|*");
}

void TTarifSeite::ImportTarifClick(QObject*)
{
    TSaveDialogOptionen optionen;
    optionen.Titel = QStringLiteral("Tarif importieren");
    optionen.Filter = RegelFilter;
    const QString pfad = Dialoge().OpenDialog(optionen);
    if (pfad.isEmpty())
        return;
    const TKleineDatei datei = LeseKleineDatei(pfad, RegeldateiHoechstens);
    if (datei.art != TKleineDatei::Gelesen) {
        Meldung(QStringLiteral("Die Datei %1 kann nicht gelesen werden (%2).")
                    .arg(QDir::toNativeSeparators(pfad), datei.Grund));
        return;
    }
    const TImport import = PruefeImport(datei.Inhalt, pfad);
    if (!import.Regeln) {
        Meldung(import.Fehler);
        return;
    }
    for (const QString& warnung : import.Warnungen)
        Meldung(warnung);
    if (import.VorhandenerSlot) {
        const int antwort = MessageDlg(ErsetzenFrage(import), mtConfirmation, mbYes | mbNo);
        emit Gemeldet();
        if (antwort != mrYes)
            return;
    }
    const TImportErgebnis ergebnis = FuehreImportAus(import);
    if (!ergebnis.Fehler.isEmpty())
        Meldung(ergebnis.Fehler);
    FuelleTarifListe();
}

void TTarifSeite::ExportTarifClick(QObject*)
{
    const int slot = GewaehlterTarif();
    if (slot == 0)
        return;
    QString fehler;
    const std::optional<QByteArray> text = ExportText(slot, fehler);
    if (!text) {
        Meldung(fehler);
        return;
    }
    TSaveDialogOptionen optionen;
    optionen.Titel = QStringLiteral("Tarif exportieren");
    optionen.Filter = RegelFilter;
    optionen.DefaultExt = QStringLiteral("rst");
    optionen.FileName = QFileInfo(RegelPfad(Tarife[slot].Name.Text())).fileName();
    const QString pfad = Dialoge().SaveDialog(optionen);
    emit Gemeldet();
    if (pfad.isEmpty())
        return;
    const TExportErgebnis ergebnis = SchreibeBerichtsDatei(pfad, *text);
    if (ergebnis != TExportErgebnis::Geschrieben)
        Meldung(ExportFehlerText(ergebnis, pfad));
}
