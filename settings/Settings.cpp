#include "settings/Settings.h"

#include "app/Haupt.h"
#include "platform/Benannt.h"
#include "platform/ProgrammIcon.h"
#include "platform/Skalierung.h"
#include "runtime/Dialoge.h"
#include "runtime/Format.h"
#include "settings/BenutzerVerwaltung.h"
#include "settings/TarifVerwaltung.h"
#include "store/Abrechnung.h"
#include "store/Daten.h"
#include "store/Tarife.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

TForm2* Form2 = nullptr;

namespace {

const QString NeuerTarifTitel = QStringLiteral("Neuer Tarif");
const QString TarifBearbeitenTitel = QStringLiteral("Tarif bearbeiten");
const QString KeinTarifVorhanden = QStringLiteral("Kein Tarif vorhanden");

QPushButton* SchliessenKnopf(QWidget* eltern, const char* name)
{
    auto* knopf = Benannt(new QPushButton(QStringLiteral("&Schließen"), eltern), name);
    knopf->setIcon(eltern->style()->standardIcon(QStyle::SP_DialogCloseButton));
    return knopf;
}

// The line that is selected, -1 for none. The list's current line alone does not
// count: the view sets it on focus without selecting anything.
int AusgewaehlteZeile(const QListWidget* liste)
{
    const QList<QListWidgetItem*> auswahl = liste->selectedItems();
    return auswahl.isEmpty() ? -1 : liste->row(auswahl.first());
}

// Names become captions of buttons: an ampersand must stay a character.
QString OhneKuerzel(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

void SetzeFensterStil(QWidget* fenster, int stil)
{
    if (!fenster)
        return;
    const bool vorne = stil == 3;
    if (fenster->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == vorne)
        return;
    // Changing the flags of a window re-creates it hidden, so it is shown again in the
    // state it had.
    const bool sichtbar = fenster->isVisible();
    const Qt::WindowStates zustand = fenster->windowState();
    fenster->setWindowFlag(Qt::WindowStaysOnTopHint, vorne);
    if (sichtbar) {
        fenster->setWindowState(zustand);
        fenster->show();
    }
}

TForm2::TForm2(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    Form2 = this;
    BaueFenster();
    PasseAnSchriftAn(this);
    FormCreate(this);
}

TForm2::~TForm2()
{
    if (Form2 == this)
        Form2 = nullptr;
}

void TForm2::BaueFenster()
{
    setWindowTitle(QStringLiteral("Einstellungen"));
    setWindowIcon(ProgrammIcon());
    QFont schrift(QStringLiteral("MS Sans Serif"));
    schrift.setStyleHint(QFont::SansSerif);
    schrift.setPixelSize(11); // 8 points at 96 dpi
    setFont(schrift);
    setFixedSize(407, 235);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    TreeView1 = Benannt(new QTreeWidget(this), "TreeView1");
    TreeView1->setFixedWidth(136);
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (const char* text : { "Tarife", "Programm", "Benutzer" })
        TreeView1->addTopLevelItem(new QTreeWidgetItem(QStringList(QString::fromUtf8(text))));
    connect(
        TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* neu, QTreeWidgetItem*) {
            if (neu)
                TreeView1Change(TreeView1, neu);
        });
    layout->addWidget(TreeView1);

    PageControl1 = Benannt(new QTabWidget(this), "PageControl1");
    PageControl1->setDocumentMode(false);
    TabTarife = BaueTarifSeite();
    TabNewTarif = BaueNeuerTarifSeite();
    TabUpdate = BaueUpdateSeite();
    TabBenutzer = BaueBenutzerSeite();
    TabProgramm = BaueProgrammSeite();
    PageControl1->addTab(TabTarife, QStringLiteral("Tarife"));
    PageControl1->addTab(TabNewTarif, NeuerTarifTitel);
    PageControl1->addTab(TabUpdate, QStringLiteral("Update"));
    PageControl1->addTab(TabBenutzer, QStringLiteral("Benutzer"));
    PageControl1->addTab(TabProgramm, QStringLiteral("Programm"));
    PageControl1->setTabVisible(PageControl1->indexOf(TabNewTarif), false);
    PageControl1->setTabVisible(PageControl1->indexOf(TabUpdate), false);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int) {
        if (!FSeitenwechselImProgramm)
            PageControl1Change(PageControl1);
    });
    layout->addWidget(PageControl1, 1);
}

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
    SchliessenBtn1 = SchliessenKnopf(seite, "SchliessenBtn1");
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
    const struct {
        const char* text;
        QLineEdit* feld;
        const char* einheit;
    } zeilen[] = {
        { "Name des Tarifs:", EName, nullptr },
        { "Preis / Minute:", EPreis, "Pf." },
        { "Einwahlkosten:", EEinwahl, "Pf." },
        { "Grundgebühr / Monat:", EGrundpreis, "DM" },
    };
    int zeile = 0;
    for (const auto& z : zeilen) {
        auto* beschriftung = new QLabel(QString::fromUtf8(z.text), seite);
        beschriftung->setBuddy(z.feld);
        felder->addWidget(beschriftung, zeile, 0);
        if (z.einheit) {
            felder->addWidget(z.feld, zeile, 1);
            felder->addWidget(new QLabel(QString::fromUtf8(z.einheit), seite), zeile, 2);
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

QWidget* TForm2::BaueUpdateSeite()
{
    auto* seite = Benannt(new QWidget, "TabUpdate");
    auto* layout = new QVBoxLayout(seite);
    URLLabel1 = Benannt(new QLabel(QStringLiteral("Programm-Update"), seite), "URLLabel1");
    URLLabel1->setToolTip(QStringLiteral("Sucht nach einer neueren Programmversion"));
    URLLabel2 = Benannt(new QLabel(QStringLiteral("Tarif-Update"), seite), "URLLabel2");
    URLLabel2->setToolTip(QStringLiteral("Sucht nach neuen Tarifen"));
    for (QLabel* l : { URLLabel1, URLLabel2 }) {
        QFont f = l->font();
        f.setBold(true);
        f.setUnderline(true);
        l->setFont(f);
        l->setStyleSheet(QStringLiteral("color: blue"));
        l->setCursor(Qt::PointingHandCursor);
        l->setEnabled(false);
        layout->addWidget(l);
    }
    layout->addStretch(1);
    return seite;
}

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
    rechts->addStretch(1);
    rechts->addWidget(SchliessenBtn2);
    layout->addLayout(rechts);

    connect(
        NeuerBenutzerBtn, &QPushButton::clicked, this, [this] { NeuerBenutzerBtnClick(NeuerBenutzerBtn); });
    connect(BenutzerloeschenBtn, &QPushButton::clicked, this,
        [this] { BenutzerloeschenBtnClick(BenutzerloeschenBtn); });
    connect(BenutzerwechselnBtn, &QPushButton::clicked, this,
        [this] { BenutzerwechselnBtnClick(BenutzerwechselnBtn); });
    connect(SchliessenBtn2, &QPushButton::clicked, this, [this] { SchliessenBtn2Click(SchliessenBtn2); });
    // Return in the password field switches, as the button would.
    connect(EPasswort, &QLineEdit::returnPressed, this, [this] {
        if (BenutzerwechselnBtn->isVisible())
            BenutzerwechselnBtnClick(EPasswort);
    });
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
    layout->addWidget(CheckBox1);
    layout->addWidget(MiniStartBox);
    layout->addWidget(new QLabel(QStringLiteral("Starten mit:"), seite));
    RadioButton1 = Benannt(new QRadioButton(QStringLiteral("Standardbenutzer"), seite), "RadioButton1");
    RadioButton2 = Benannt(new QRadioButton(QStringLiteral("Benutzer 2"), seite), "RadioButton2");
    RadioButton3 = Benannt(new QRadioButton(QStringLiteral("Benutzer 3"), seite), "RadioButton3");
    RadioButton4 = Benannt(new QRadioButton(QStringLiteral("Benutzer 4"), seite), "RadioButton4");
    RadioButton1->setChecked(true);
    for (QRadioButton* r : { RadioButton1, RadioButton2, RadioButton3, RadioButton4 })
        layout->addWidget(r);
    layout->addStretch(1);
    SchliessenBtn3 = SchliessenKnopf(seite, "SchliessenBtn3");
    auto* unten = new QHBoxLayout;
    unten->addStretch(1);
    unten->addWidget(SchliessenBtn3);
    layout->addLayout(unten);

    // Only the user's clicks write the options; setting the boxes from the record
    // would write back what was just read.
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { CheckBox1Click(CheckBox1); });
    connect(MiniStartBox, &QCheckBox::clicked, this, [this] { MiniStartBoxClick(MiniStartBox); });
    connect(RadioButton1, &QRadioButton::clicked, this, [this] { RadioButton1Click(RadioButton1); });
    connect(RadioButton2, &QRadioButton::clicked, this, [this] { RadioButton2Click(RadioButton2); });
    connect(RadioButton3, &QRadioButton::clicked, this, [this] { RadioButton3Click(RadioButton3); });
    connect(RadioButton4, &QRadioButton::clicked, this, [this] { RadioButton4Click(RadioButton4); });
    connect(SchliessenBtn3, &QPushButton::clicked, this, [this] { SchliessenBtn3Click(SchliessenBtn3); });
    return seite;
}

// --- the window ------------------------------------------------------------------

void TForm2::FormCreate(QObject*)
{
    const int tarif = TarifDesAktBenutzers();
    if (tarif >= 1 && tarif <= MaxTarife)
        SetzeAktTarif(tarif);
    BenutzerListeFuellen();
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow(this);
    // The first opening lands on the tariffs; later ones show what was left.
    if (!TreeView1->currentItem()) {
        TreeView1->setFocus();
        TreeView1->setCurrentItem(TreeView1->topLevelItem(0));
    }
}

void TForm2::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate(this);
}

bool TForm2::eventFilter(QObject* objekt, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (objekt == EName)
            ENameClick(EName);
        else if (objekt == EPreis)
            EPreisClick(EPreis);
        else if (objekt == EEinwahl)
            EEinwahlClick(EEinwahl);
        else if (objekt == EGrundpreis)
            EGrundpreisClick(EGrundpreis);
    }
    return QDialog::eventFilter(objekt, event);
}

void TForm2::done(int r)
{
    FormClose(this);
    QDialog::done(r);
}

void TForm2::FormShow(QObject*)
{
    SetzeTitel();
}

void TForm2::SetzeTitel()
{
    setWindowTitle((QStringLiteral("Einstellungen - ") + AktBenutzerName()).left(66));
}

void TForm2::FormActivate(QObject*)
{
    FuelleTarifListe();
}

void TForm2::FormClose(QObject*)
{
    MeldeSpeicherFehler(SpeichereDaten());
}

void TForm2::Meldung(const QString& text)
{
    ShowMessage(text);
    FormActivate(this);
}

void TForm2::KeineZeileGewaehlt()
{
    Meldung(QStringLiteral("Der Index der Liste überschreitet das Maximum (-1)"));
}

void TForm2::ZeigeSeite(QWidget* seite, bool alleinig)
{
    FSeitenwechselImProgramm = true;
    PageControl1->setTabVisible(PageControl1->indexOf(seite), true);
    if (alleinig)
        for (int i = 0; i < PageControl1->count(); ++i)
            if (PageControl1->widget(i) != seite)
                PageControl1->setTabVisible(i, false);
    PageControl1->setCurrentWidget(seite);
    FSeitenwechselImProgramm = false;
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

void TForm2::TreeView1Change(QObject*, QTreeWidgetItem* Node)
{
    switch (TreeView1->indexOfTopLevelItem(Node)) {
    case 0:
        ZeigeSeite(TabTarife, true);
        FBearbeiteterTarif = 0;
        break;
    case 1:
        ZeigeSeite(TabProgramm, true);
        StartBenutzerAnzeigen();
        MiniStartBox->setChecked(Daten.MinimiertStarten == 1);
        CheckBox1->setChecked(Daten.FensterStil == 3);
        break;
    case 2:
        ZeigeSeite(TabBenutzer, true);
        break;
    default:
        break;
    }
}

void TForm2::PageControl1Change(QObject*)
{
    StartBenutzerAnzeigen();
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
    if (Daten.StartBenutzer >= 1 && Daten.StartBenutzer <= MaxBenutzer)
        knoepfe[Daten.StartBenutzer - 1]->setChecked(true);
    for (QRadioButton* r : knoepfe)
        r->setAutoExclusive(true);
}

void TForm2::CheckBox1Click(QObject*)
{
    Daten.FensterStil = CheckBox1->isChecked() ? 3 : 0;
    SetzeFensterStil(Form1, Daten.FensterStil);
}

void TForm2::MiniStartBoxClick(QObject*)
{
    Daten.MinimiertStarten = MiniStartBox->isChecked() ? 1 : 0;
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

void TForm2::SchliessenBtn1Click(QObject*)
{
    if (TarifDesAktBenutzers() == 0)
        Meldung(QStringLiteral(
            "Es ist kein Tarif aktiviert! Bitte wählen Sie einen mit dem Button \"Tarif wählen\""));
    close();
}

void TForm2::SchliessenBtn2Click(QObject*)
{
    close();
}

void TForm2::SchliessenBtn3Click(QObject*)
{
    close();
}

// --- tariffs ---------------------------------------------------------------------

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
    if (TarifList->count() == 0) {
        Meldung(KeinTarifVorhanden);
        return;
    }
    const int zeile = AusgewaehlteZeile(TarifList);
    if (zeile < 0) {
        KeineZeileGewaehlt();
        return;
    }
    TarifWaehlen(TarifNachName(TarifList->item(zeile)->text()));
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

// --- users -----------------------------------------------------------------------

void TForm2::BenutzerListeFuellen()
{
    FListeWirdGefuellt = true;
    BenutzerList->clear();
    BenutzerList->addItems(BenutzerNamen());
    BenutzerList->setCurrentRow(-1);
    FListeWirdGefuellt = false;
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
    ZeigeBenutzerImHauptfenster();
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

void TForm2::ZeigeBenutzerImHauptfenster()
{
    if (!Form1)
        return;
    Form1->Benutzerlabel->setText(AktBenutzerName());
    // The month amount of the user now current, not a zero: the label keeps it until
    // the next connection ends.
    Form1->Label1->setText(MonatsText(MonatsSumme(AktBenutzer)));
    Form1->ZeitLabel->setText(QStringLiteral("00:00:00"));
    Form1->KostenLabel->setText(QStringLiteral("0,00 DM"));
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
