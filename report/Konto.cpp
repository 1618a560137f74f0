#include "report/Konto.h"

#include "core/BerichtsDatei.h"
#include "core/CsvExport.h"
#include "core/Datenvolumen.h"
#include "core/Hochrechnung.h"
#include "core/KontoBericht.h"
#include "core/RtfDokument.h"
#include "gui/Benannt.h"
#include "gui/Skalierung.h"
#include "platform/ProgrammIcon.h"
#include "report/BerichtsDruck.h"
#include "report/Werbebanner.h"
#include "runtime/Datum.h"
#include "runtime/Shell.h"
#include "runtime/Waehrung.h"
#include "store/Daten.h"
#include "store/Tarife.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

TForm4* Form4 = nullptr;
int GewaehlterMonat = 1;

namespace {

const QString BerichtSchrift = QStringLiteral("MS Sans Serif");
constexpr int BerichtPunkte = 8;
constexpr int DruckPunkte = 10;
constexpr int HochrechnungHoehe = 16;

const QString WerbeFrage = QStringLiteral(
    "Diese Werbung ist günstiger als Sie denken. Das Programm ist bis jetzt ca. 5000 Mal heruntergeladen "
    "worden. Für genauere Informationen senden Sie uns bitte eine E-Mail. Möchten Sie dies jetzt tun?");

// The month to report on. Without a valid current user (nobody logged in yet) the
// report shows an empty month rather than reading outside the record.
const TMonat& BerichtsMonat(int monat)
{
    static TMonat leer = [] {
        TMonat m;
        std::memset(&m, 0, sizeof m);
        return m;
    }();
    if (!GueltigerBenutzer(AktBenutzer) || monat < 1 || monat > 12)
        return leer;
    return Daten.Benutzer[AktBenutzer].Monate[monat];
}

} // namespace

bool AlsCsvGewaehlt(int filterIndex, const QString& pfad)
{
    return filterIndex == CsvFilter || pfad.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
}

TForm4::TForm4(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Konto"));
    setWindowIcon(ProgrammIcon());
    QFont schrift(BerichtSchrift);
    schrift.setPointSize(BerichtPunkte);
    setFont(schrift);
    move(111, 16);
    resize(640, 556);

    TreeView1 = Benannt(new QTreeWidget(this), "TreeView1");
    TreeView1->setFixedWidth(116);
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int m = 1; m <= 12; ++m)
        TreeView1->addTopLevelItem(new QTreeWidgetItem(QStringList { MonatsName(m) }));

    Panel2 = Benannt(new QFrame(this), "Panel2");
    Memo1 = Benannt(new QTextEdit(Panel2), "Memo1");
    Memo1->setReadOnly(true);
    Memo1->setAcceptRichText(false);
    Memo1->setFont(schrift);
    Memo1->setLineWrapMode(QTextEdit::WidgetWidth);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette farben = Memo1->palette();
    farben.setColor(QPalette::Text, Qt::black);
    Memo1->setPalette(farben);
    auto* panel2Layout = new QVBoxLayout(Panel2);
    panel2Layout->setContentsMargins(0, 0, 0, 0);
    panel2Layout->addWidget(Memo1);

    BauePanel1();

    auto* oben = new QHBoxLayout;
    oben->setContentsMargins(0, 0, 0, 0);
    oben->setSpacing(0);
    oben->addWidget(TreeView1);
    oben->addWidget(Panel2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(oben, 1);
    layout->addWidget(Panel1);

    SaveDialog1.Filter = QStringLiteral("Text-Datei (*.txt)|*.txt|CSV-Datei (*.csv)|*.csv");
    SaveDialog1.DefaultExt = QStringLiteral("txt");

    connect(TreeView1, &QTreeWidget::currentItemChanged, this,
        [this](QTreeWidgetItem* knoten, QTreeWidgetItem*) { TreeView1Change(TreeView1, knoten); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(BitBtn1); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(Button2); });
    Werbebanner->OnClick = [this](QObject* Sender) { WerbebannerClick(Sender); };

    PasseAnSchriftAn(this);
    MeldeFensterAn(Form4, this);
    FormCreate(this);
}

void TForm4::BauePanel1()
{
    Panel1 = Benannt(new QFrame(this), "Panel1");
    // Taller than designed by two lines, for the forecast and the volume under the
    // month total.
    Panel1->setFixedHeight(121 + 2 * HochrechnungHoehe);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    Werbebanner = Benannt(new TWerbebanner(Panel1), "Werbebanner");
    Werbebanner->move(0, 0);

    BitBtn1 = Benannt(new QPushButton(QStringLiteral("OK"), Panel1), "BitBtn1");
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    BitBtn1->setGeometry(3, 93, 113, 25);
    BitBtn1->setDefault(true);

    Label1 = Benannt(
        new QLabel(QStringLiteral("Im Monat: ") + MitWaehrung(QStringLiteral("00,00")), Panel1), "Label1");
    QFont fett(BerichtSchrift);
    fett.setPixelSize(13);
    fett.setBold(true);
    Label1->setFont(fett);
    Label1->setGeometry(125, 95, 274, 21);
    HochrechnungLabel = Benannt(new QLabel(Panel1), "HochrechnungLabel");
    HochrechnungLabel->setGeometry(125, 116, 274, HochrechnungHoehe);
    VolumenLabel = Benannt(new QLabel(Panel1), "VolumenLabel");
    VolumenLabel->setGeometry(125, 116 + HochrechnungHoehe, 274, HochrechnungHoehe);

    Button1 = Benannt(new QPushButton(QStringLiteral("Monat drucken"), Panel1), "Button1");
    Button1->setGeometry(400, 93, 116, 25);
    Button2 = Benannt(new QPushButton(QStringLiteral("Monat als Text sichern"), Panel1), "Button2");
    Button2->setGeometry(515, 93, 116, 25);
    // The design's widths suit its narrow system font; with a wider one the buttons grow
    // to the left, still flush with the panel's right edge, so their captions stay whole.
    const int breite2 = std::max(116, Button2->sizeHint().width());
    const int breite1 = std::max(116, Button1->sizeHint().width());
    if (breite1 > 116 || breite2 > 116) {
        Button2->setGeometry(631 - breite2, 93, breite2, 25);
        Button1->setGeometry(Button2->x() + 1 - breite1, 93, breite1, 25);
        Label1->setFixedWidth(std::max(0, Button1->x() - 1 - Label1->x()));
        HochrechnungLabel->setFixedWidth(Label1->width());
        VolumenLabel->setFixedWidth(Label1->width());
    }
}

TForm4::~TForm4()
{
    MeldeFensterAb(Form4, this);
}

QPrinter& TForm4::Drucker()
{
    if (!drucker)
        drucker = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *drucker;
}

void TForm4::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        FormShow(this);
    QDialog::showEvent(event);
}

void TForm4::FormCreate(QObject*)
{
    GewaehlterMonat = 1;
}

void TForm4::FormShow(QObject*)
{
    int jahr, monat, tag;
    DecodeDate(Now(), jahr, monat, tag);
    if (!TreeView1->currentItem())
        TreeView1->setCurrentItem(TreeView1->topLevelItem(monat - 1)); // builds the report once
    MonatAnzeigen();
    TreeView1->setFocus();
}

void TForm4::TreeView1Change(QObject*, QTreeWidgetItem* Node)
{
    if (Node)
        MonatAnzeigen();
}

void TForm4::BitBtn1Click(QObject*)
{
    accept();
}

void TForm4::MonatAnzeigen()
{
    const QTreeWidgetItem* knoten = TreeView1->currentItem();
    GewaehlterMonat = MonatNummer(knoten ? knoten->text(0) : QString());
    const TKontoBericht bericht = BaueKontoBericht(BerichtsMonat(GewaehlterMonat), AktTarif.Grundpreis);
    // One replacement of the whole text: the view lays it out once.
    Memo1->setPlainText(bericht.Zeilen.join(QLatin1Char('\n')));
    Label1->setText(bericht.Summe);

    // Only the month under way can be projected; any other is over.
    int jahr, monat, tag;
    const TDateTime jetzt = Now();
    DecodeDate(jetzt, jahr, monat, tag);
    std::optional<double> hochrechnung;
    if (GewaehlterMonat == monat)
        hochrechnung = Hochrechnung(BerichtsMonat(GewaehlterMonat), AktTarif.Grundpreis, jetzt);
    HochrechnungLabel->setText(hochrechnung ? HochrechnungsText(*hochrechnung) : QString());
    const auto volumen = Volumenbuch().Monatsvolumen(
        AktBenutzer, BerichtsJahr(jetzt, GewaehlterMonat) * 12 + GewaehlterMonat - 1);
    VolumenLabel->setText(volumen ? MonatsvolumenText(*volumen) : QString());
}

QStringList TForm4::AusgabeZeilen(bool einruecken) const
{
    const QString ueberschrift = BerichtsUeberschrift(GewaehlterMonat, BerichtsJahr(Now(), GewaehlterMonat));

    QStringList zeilen { QString(), ueberschrift, QString() };
    const QString text = Memo1->toPlainText();
    if (!text.isEmpty())
        for (const QString& zeile : text.split(QLatin1Char('\n')))
            zeilen << (einruecken ? QStringLiteral("  ") + zeile : zeile);
    return zeilen;
}

std::unique_ptr<QTextDocument> TForm4::DruckDokument() const
{
    auto dokument = std::make_unique<QTextDocument>();
    QFont schrift = Memo1->font();
    schrift.setPointSize(DruckPunkte);
    dokument->setDefaultFont(schrift);
    dokument->setPlainText(AusgabeZeilen(true).join(QLatin1Char('\n')));
    return dokument;
}

void TForm4::Button1Click(QObject*)
{
    QPrinter& zieldrucker = Drucker();
    SchlageDruckdateiVor(
        zieldrucker, BerichtsDokumentName(GewaehlterMonat, BerichtsJahr(Now(), GewaehlterMonat)));
    if (!Dialoge().PrintDialog(zieldrucker))
        return;
    // The view stays as it is: the printout is laid out from a copy.
    const std::unique_ptr<QTextDocument> dokument = DruckDokument();
    if (!DruckeDokument(*dokument, zieldrucker)) {
        const QString ziel = zieldrucker.outputFileName().isEmpty() ? zieldrucker.printerName()
                                                                    : zieldrucker.outputFileName();
        FehlerMeldung(QStringLiteral("Der Monat konnte nicht gedruckt werden (Drucker: %1).").arg(ziel));
    }
}

void TForm4::Button2Click(QObject*)
{
    SaveDialog1.FileName = BerichtsDokumentName(GewaehlterMonat, BerichtsJahr(Now(), GewaehlterMonat));
    const QString pfad = Dialoge().SaveDialog(SaveDialog1);
    if (pfad.isEmpty())
        return;
    const QByteArray inhalt = AlsCsvGewaehlt(SaveDialog1.FilterIndex, pfad)
        ? MonatAlsCsv(BerichtsMonat(GewaehlterMonat),
            [](const TVerbindung& v) { return Volumenbuch().Bytes(AktBenutzer, v.Datum, v.Dauer, v.Kosten); })
        : RtfDokument(AusgabeZeilen(false), BerichtSchrift, BerichtPunkte);
    const TExportErgebnis ergebnis = SchreibeBerichtsDatei(pfad, inhalt);
    if (ergebnis != TExportErgebnis::Geschrieben)
        FehlerMeldung(ExportFehlerText(ergebnis, pfad));
}

void TForm4::WerbebannerClick(QObject*)
{
    if (MessageDlg(WerbeFrage, mtConfirmation, mbYes | mbNo) == mrYes)
        ShellExecuteOpen(QStringLiteral("mailto:") + HerstellerEMail());
}
