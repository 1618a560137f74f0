// The settings window's tariff pages: the list of tariffs and the entry of a new or
// changed one.
#include "core/BerichtsDatei.h"
#include "core/TarifVerwaltung.h"
#include "core/TarifZeiten.h"
#include "platform/Benannt.h"
#include "runtime/Dialoge.h"
#include "runtime/Format.h"
#include "settings/Seitenbausteine.h"
#include "settings/Settings.h"
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
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

QWidget* TForm2::BaueTarifSeite()
{
    auto* seite = Benannt(new QWidget, "TabTarife");
    auto* layout = new QHBoxLayout(seite);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    TarifList = Benannt(new QListWidget(seite), "TarifList");
    TarifList->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(TarifList, 1);

    auto* knoepfe = new QVBoxLayout;
    knoepfe->setSpacing(2);
    SelectTarif = Benannt(new QPushButton(QStringLiteral("Tarif wählen"), seite), "SelectTarif");
    NewTarif = Benannt(new QPushButton(QStringLiteral("Neuer Tarif"), seite), "NewTarif");
    EditTarif = Benannt(new QPushButton(QStringLiteral("Tarif bearbeiten"), seite), "EditTarif");
    DeleteTarif = Benannt(new QPushButton(QStringLiteral("Tarif löschen"), seite), "DeleteTarif");
    DeleteAllTarifs = Benannt(new QPushButton(QStringLiteral("Alle löschen"), seite), "DeleteAllTarifs");
    ZeitenTarif = Benannt(new QPushButton(QStringLiteral("Zeiten…"), seite), "ZeitenTarif");
    ImportTarif = Benannt(new QPushButton(QStringLiteral("Importieren…"), seite), "ImportTarif");
    ExportTarif = Benannt(new QPushButton(QStringLiteral("Exportieren…"), seite), "ExportTarif");
    SchliessenBtn1 = SchliessenKnopf(seite, "SchliessenBtn1");
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
    return seite;
}

QWidget* TForm2::BaueNeuerTarifSeite()
{
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

void TForm2::VerbergeNeuerTarifSeite()
{
    FSeitenwechselImProgramm = true;
    PageControl1->setTabVisible(PageControl1->indexOf(TabTarife), true);
    PageControl1->setCurrentWidget(TabTarife);
    PageControl1->setTabVisible(PageControl1->indexOf(TabNewTarif), false);
    FSeitenwechselImProgramm = false;
    FBearbeiteterTarif = 0;
}

void TForm2::SchliessenBtn1Click(QObject*)
{
    if (TarifDesAktBenutzers() == 0)
        Meldung(QStringLiteral(
            "Es ist kein Tarif aktiviert! Bitte wählen Sie einen mit dem Button \"Tarif wählen\""));
    close();
}

void TForm2::FuelleTarifListe()
{
    TarifList->clear();
    TarifList->addItems(TarifNamen());
    const int gewaehlt = TarifDesAktBenutzers();
    if (gewaehlt >= 1 && gewaehlt <= MaxTarife && !Tarife[gewaehlt].Name.Leer()) {
        int zeile = 0;
        for (int k = 1; k < gewaehlt; ++k)
            if (!Tarife[k].Name.Leer())
                ++zeile;
        TarifList->setCurrentRow(zeile);
    }
}

void TForm2::NewTarifClick(QObject*)
{
    PageControl1->setTabText(PageControl1->indexOf(TabNewTarif), NeuerTarifTitel);
    ZeigeSeite(TabNewTarif, false);
    FBearbeiteterTarif = 0;
    EName->clear();
    EEinwahl->setText(QStringLiteral("0"));
    EGrundpreis->setText(QStringLiteral("0"));
    EPreis->setText(QStringLiteral("0"));
    EName->setFocus();
}

void TForm2::EditTarifClick(QObject*)
{
    if (TarifList->count() == 0) {
        Meldung(KeinTarifVorhanden);
        return;
    }
    PageControl1->setTabText(PageControl1->indexOf(TabNewTarif), TarifBearbeitenTitel);
    ZeigeSeite(TabNewTarif, false);
    const int zeile = AusgewaehlteZeile(TarifList);
    if (zeile < 0) {
        FBearbeiteterTarif = 0;
        KeineZeileGewaehlt();
        return;
    }
    const int slot = TarifNachName(TarifList->item(zeile)->text());
    FBearbeiteterTarif = slot;
    if (slot == 0)
        return;
    const TTarif& t = Tarife[slot];
    EName->setText(t.Name.Text());
    EPreis->setText(FloatToStr(t.Preis));
    EEinwahl->setText(FloatToStr(t.Einwahl));
    EGrundpreis->setText(FloatToStr(t.Grundpreis));
}

void TForm2::OKBtnClick(QObject*)
{
    const TTarifEingabe eingabe { EName->text(), EPreis->text(), EEinwahl->text(), EGrundpreis->text() };
    const bool neu = PageControl1->tabText(PageControl1->indexOf(TabNewTarif)) == NeuerTarifTitel;
    QString alterName;
    if (!neu) {
        if (FBearbeiteterTarif == 0) {
            KeineZeileGewaehlt();
            return;
        }
        alterName = Tarife[FBearbeiteterTarif].Name.Text();
    }
    const TTarifErgebnis ergebnis = neu ? NeuerTarif(eingabe) : TarifAendern(FBearbeiteterTarif, eingabe);

    switch (ergebnis.art) {
    case TTarifErgebnis::Gespeichert:
        if (neu) {
            TarifList->addItem(ergebnis.Name);
        }
        else {
            const QList<QListWidgetItem*> zeilen = TarifList->findItems(alterName, Qt::MatchExactly);
            if (!zeilen.isEmpty())
                zeilen.first()->setText(ergebnis.Name);
        }
        break;
    case TTarifErgebnis::KeinPlatz:
    case TTarifErgebnis::NichtGefunden:
        if (!ergebnis.Meldung(eingabe).isEmpty())
            Meldung(ergebnis.Meldung(eingabe));
        break;
    case TTarifErgebnis::NameLeer:
    case TTarifErgebnis::NameVergeben:
    case TTarifErgebnis::KeineZahl:
    case TTarifErgebnis::Negativ: {
        // The entry stays open to be put right.
        QLineEdit* felder[] = { EName, EPreis, EEinwahl, EGrundpreis };
        QLineEdit* feld = felder[ergebnis.feld];
        Meldung(ergebnis.Meldung(eingabe));
        feld->setFocus();
        feld->selectAll();
        return;
    }
    }
    VerbergeNeuerTarifSeite();
}

void TForm2::AbortBtnClick(QObject*)
{
    VerbergeNeuerTarifSeite();
}

void TForm2::DeleteTarifClick(QObject*)
{
    if (TarifList->count() == 0) {
        Meldung(KeinTarifVorhanden);
    }
    else {
        const int zeile = AusgewaehlteZeile(TarifList);
        if (zeile < 0) {
            KeineZeileGewaehlt();
            return;
        }
        TarifLoeschen(TarifNachName(TarifList->item(zeile)->text()));
    }
    FuelleTarifListe();
}

void TForm2::DeleteAllTarifsClick(QObject*)
{
    const int erste = MessageDlg(
        QStringLiteral(
            "Wollen Sie alle Tarife löschen? Dieser Schritt kann nicht rückgängig gemacht werden!"),
        mtConfirmation, mbYes | mbNo);
    FormActivate(this);
    if (erste != mrYes)
        return;
    const int zweite
        = MessageDlg(QStringLiteral("ACHTUNG! Sollen alle Tarifangaben unwiederruflich gelöscht werden?"),
            mtWarning, mbYes | mbNo);
    FormActivate(this);
    if (zweite != mrYes)
        return;
    TarifList->clear();
    AlleTarifeLoeschen();
    Meldung(QStringLiteral("Es wurden alle Tarife gelöscht"));
}

void TForm2::SelectTarifClick(QObject*)
{
    // Chosen, the tariff must be on disk: the report from the command line reads it.
    if (const int slot = GewaehlterTarif(); slot && TarifWaehlen(slot))
        MeldeSpeicherFehler(SichereTarife());
}

void TForm2::ENameClick(QObject*)
{
    EName->selectAll();
}

void TForm2::EPreisClick(QObject*)
{
    EPreis->selectAll();
}

void TForm2::EEinwahlClick(QObject*)
{
    EEinwahl->selectAll();
}

void TForm2::EGrundpreisClick(QObject*)
{
    EGrundpreis->selectAll();
}

int TForm2::GewaehlterTarif()
{
    if (TarifList->count() == 0) {
        Meldung(KeinTarifVorhanden);
        return 0;
    }
    const int zeile = AusgewaehlteZeile(TarifList);
    if (zeile < 0) {
        KeineZeileGewaehlt();
        return 0;
    }
    return TarifNachName(TarifList->item(zeile)->text());
}

void TForm2::ZeitenTarifClick(QObject*)
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
            return ergebnis.Ok ? QString() : SpeicherFehlerText(ergebnis);
        },
        this);
    fenster.exec();
    FormActivate(this);
}

namespace {
const QString RegelFilter = QStringLiteral("Tarifbeschreibung (*.rst)|*.rst|Alle Dateien (*)|*");
}

void TForm2::ImportTarifClick(QObject*)
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
        FormActivate(this);
        if (antwort != mrYes)
            return;
    }
    const TImportErgebnis ergebnis = FuehreImportAus(import);
    if (!ergebnis.Fehler.isEmpty())
        Meldung(ergebnis.Fehler);
    FuelleTarifListe();
}

void TForm2::ExportTarifClick(QObject*)
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
    FormActivate(this);
    if (pfad.isEmpty())
        return;
    const TExportErgebnis ergebnis = SchreibeBerichtsDatei(pfad, *text);
    if (ergebnis != TExportErgebnis::Geschrieben)
        Meldung(ExportFehlerText(ergebnis, pfad));
}
