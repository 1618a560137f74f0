// The settings window's frame: the tree, the pages' tabs and the page that is never
// shown. Each page is a widget of its own.
#include "settings/Settings.h"

#include "core/BenutzerVerwaltung.h"
#include "core/TarifVerwaltung.h"
#include "gui/Benannt.h"
#include "gui/Gestaltung.h"
#include "gui/Skalierung.h"
#include "platform/ProgrammIcon.h"
#include "platform/posix/Dateien.h"
#include "runtime/Dialoge.h"
#include "settings/BenutzerSeite.h"
#include "settings/ProgrammSeite.h"
#include "settings/TarifSeite.h"
#include "store/Daten.h"
#include "store/Tarife.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QShowEvent>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    MeldeFensterAn(Form2, this);
    BaueFenster();
    PasseAnSchriftAn(this);
    FormCreate(this);
}

TForm2::~TForm2()
{
    MeldeFensterAb(Form2, this);
}

void TForm2::BaueFenster()
{
    setWindowTitle(QStringLiteral("Einstellungen"));
    setWindowIcon(ProgrammIcon());
    setFont(DesignSchrift());
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
    TabTarife = new TTarifSeite;
    TabNewTarif = TabTarife->TabNewTarif;
    TabUpdate = BaueUpdateSeite();
    TabBenutzer = new TBenutzerSeite;
    TabProgramm = new TProgrammSeite;
    PageControl1->addTab(TabTarife, QStringLiteral("Tarife"));
    PageControl1->addTab(TabNewTarif, QStringLiteral("Neuer Tarif"));
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
    VerbindeSeiten();
}

void TForm2::VerbindeSeiten()
{
    for (TSeite* seite : std::initializer_list<TSeite*> { TabTarife, TabBenutzer, TabProgramm }) {
        connect(seite, &TSeite::Gemeldet, this, [this] { FormActivate(this); });
        connect(seite, &TSeite::SchliessenVerlangt, this, &QDialog::close);
    }
    connect(TabTarife, &TTarifSeite::EingabeGeoeffnet, this, [this](const QString& titel) {
        PageControl1->setTabText(PageControl1->indexOf(TabNewTarif), titel);
        ZeigeSeite(TabNewTarif, false);
    });
    connect(TabTarife, &TTarifSeite::EingabeGeschlossen, this, &TForm2::VerbergeNeuerTarifSeite);
    connect(TabBenutzer, &TBenutzerSeite::BenutzerGewechselt, this, [this] {
        emit BenutzerGewechselt();
        SetzeTitel();
    });
    connect(TabBenutzer, &TBenutzerSeite::TarifWaehlenVerlangt, this, &TForm2::ZeigeTarife);
    connect(TabProgramm, &TProgrammSeite::FensterStilGeaendert, this, &TForm2::FensterStilGeaendert);
    connect(TabProgramm, &TProgrammSeite::EuroUmstellungGewuenscht, this, [this] {
        emit EuroUmstellungGewuenscht();
        WaehrungAnzeigen();
        TabBenutzer->ZeigeBudget();
    });
    WaehrungAnzeigen();
}

void TForm2::WaehrungAnzeigen()
{
    TabProgramm->WaehrungAnzeigen();
    TabTarife->WaehrungAnzeigen();
    TabBenutzer->WaehrungAnzeigen();
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
        AlsVerweis(l);
        l->setEnabled(false);
        layout->addWidget(l);
    }
    layout->addStretch(1);
    return seite;
}

// --- the window ------------------------------------------------------------------

void TForm2::FormCreate(QObject*)
{
    const int tarif = TarifDesAktBenutzers();
    if (tarif >= 1 && tarif <= MaxTarife)
        SetzeAktTarif(tarif);
    TabBenutzer->BenutzerListeFuellen();
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

void TForm2::done(int r)
{
    FormClose(this);
    QDialog::done(r);
}

void TForm2::FormShow(QObject*)
{
    SetzeTitel();
    WaehrungAnzeigen();
    TabProgramm->AutostartAnzeigen();
}

void TForm2::SetzeTitel()
{
    setWindowTitle((QStringLiteral("Einstellungen - ") + AktBenutzerName()).left(66));
}

void TForm2::FormActivate(QObject*)
{
    TabTarife->FuelleTarifListe();
}

void TForm2::FormClose(QObject*)
{
    if (const QString fehler = SpeicherFehlerText(SpeichereDaten()); !fehler.isEmpty())
        ShowMessage(fehler);
    // Tariffs made or changed must not wait for the program's end: a crash would lose them.
    if (const QString fehler = SpeicherFehlerText(SichereGeaenderteTarife()); !fehler.isEmpty())
        ShowMessage(fehler);
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

void TForm2::TreeView1Change(QObject*, QTreeWidgetItem* Node)
{
    switch (TreeView1->indexOfTopLevelItem(Node)) {
    case 0:
        ZeigeSeite(TabTarife, true);
        TabTarife->EingabeVergessen();
        break;
    case 1:
        ZeigeSeite(TabProgramm, true);
        TabProgramm->Anzeigen();
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
    TabProgramm->StartBenutzerAnzeigen();
}

void TForm2::VerbergeNeuerTarifSeite()
{
    FSeitenwechselImProgramm = true;
    PageControl1->setTabVisible(PageControl1->indexOf(TabTarife), true);
    PageControl1->setCurrentWidget(TabTarife);
    PageControl1->setTabVisible(PageControl1->indexOf(TabNewTarif), false);
    FSeitenwechselImProgramm = false;
}

void TForm2::ZeigeTarife()
{
    QTreeWidgetItem* tarife = TreeView1->topLevelItem(0);
    if (TreeView1->currentItem() == tarife)
        TreeView1Change(TreeView1, tarife);
    else
        TreeView1->setCurrentItem(tarife);
}
