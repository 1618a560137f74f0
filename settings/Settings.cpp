// The settings window's frame: the tree, the pages' tabs and what all pages share.
// Each page's controls and handlers live in their own file beside this one.
#include "settings/Settings.h"

#include "core/BenutzerVerwaltung.h"
#include "core/TarifVerwaltung.h"
#include "platform/Autostart.h"
#include "platform/Benannt.h"
#include "platform/Gestaltung.h"
#include "platform/ProgrammIcon.h"
#include "platform/Skalierung.h"
#include "runtime/Dialoge.h"
#include "settings/Seitenbausteine.h"
#include "store/Dateien.h"
#include "store/Daten.h"
#include "store/Tarife.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

TForm2* Form2 = nullptr;

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
    WaehrungAnzeigen();
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
    WaehrungAnzeigen();
    // The entry may have been removed by the desktop's own settings since.
    AutostartBox->setChecked(StartetBeimAnmelden());
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
    // Tariffs made or changed must not wait for the program's end: a crash would lose them.
    MeldeSpeicherFehler(SichereGeaenderteTarife());
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
        AutostartBox->setChecked(StartetBeimAnmelden());
        VerbindungsquelleAnzeigen();
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
