#include "report/Jahresuebersicht.h"

#include "core/Budget.h"
#include "core/KontoBericht.h"
#include "gui/Benannt.h"
#include "platform/ProgrammIcon.h"
#include "runtime/Dialoge.h"
#include "runtime/Format.h"
#include "runtime/Waehrung.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace {

const QColor Balkenfarbe(0x2f, 0x6f, 0xb0);
const QColor Budgetfarbe(0xc0, 0x30, 0x30);

QChartView* NeueAnsicht(QWidget* eltern, const char* name)
{
    auto* ansicht = Benannt(new QChartView(eltern), name);
    ansicht->setRenderHint(QPainter::Antialiasing);
    ansicht->setMinimumSize(420, 220);
    return ansicht;
}

// A bar chart of costs; the axis reaches a little above the highest bar or line.
QChart* Balkendiagramm(
    const QString& titel, const QStringList& kategorien, const QList<qreal>& werte, double linie = 0)
{
    auto* chart = new QChart;
    chart->setTitle(titel);
    chart->legend()->setVisible(linie > 0);
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* satz = new QBarSet(MitWaehrungInKlammern(QStringLiteral("Kosten")));
    satz->append(werte);
    satz->setColor(Balkenfarbe);
    auto* reihe = new QBarSeries;
    reihe->append(satz);
    chart->addSeries(reihe);
    // Twelve month names fit side by side; of the days every fifth is named.
    QAbstractAxis* x = nullptr;
    if (kategorien.size() <= 12) {
        auto* monate = new QBarCategoryAxis;
        monate->append(kategorien);
        QFont klein = monate->labelsFont();
        klein.setPointSizeF(8);
        monate->setLabelsFont(klein);
        x = monate;
    }
    else {
        auto* tage = new QCategoryAxis;
        tage->setRange(-0.5, kategorien.size() - 0.5);
        tage->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        for (int i = 0; i < kategorien.size(); ++i)
            if (i == 0 || (i + 1) % 5 == 0)
                tage->append(kategorien[i], i);
        tage->setGridLineVisible(false);
        x = tage;
    }
    auto* y = new QValueAxis;
    y->setLabelFormat(QStringLiteral("%.2f"));
    const double hoechster
        = std::max<double>(linie, werte.isEmpty() ? 0 : *std::max_element(werte.begin(), werte.end()));
    y->setRange(0, hoechster > 0 ? hoechster * 1.15 : 1);
    y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    reihe->attachAxis(x);
    reihe->attachAxis(y);
    if (linie > 0) {
        auto* budget = new QLineSeries;
        budget->setName(QStringLiteral("Budget ") + MitWaehrung(ZweiStellen(linie)));
        budget->append(-0.5, linie);
        budget->append(kategorien.size() - 0.5, linie);
        QPen stift(Budgetfarbe);
        stift.setWidth(2);
        stift.setStyle(Qt::DashLine);
        budget->setPen(stift);
        chart->addSeries(budget);
        budget->attachAxis(x);
        budget->attachAxis(y);
    }
    return chart;
}

QTableWidgetItem* Zelle(const QString& text, bool rechts = true)
{
    auto* zelle = new QTableWidgetItem(text);
    zelle->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (rechts)
        zelle->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return zelle;
}

QString Betrag(double kosten)
{
    return MitWaehrung(ZweiStellen(AufPfennig(kosten)));
}

} // namespace

TJahresuebersicht::TJahresuebersicht(
    const TVerlauf& verlauf, const QString& benutzer, double budget, int tarifNr, int jahr, QWidget* parent)
    : QDialog(parent)
    , FVerlauf(verlauf)
    , FBenutzer(benutzer)
    , FBudget(budget)
    , FTarifNr(tarifNr)
{
    setObjectName(QStringLiteral("Jahresuebersicht"));
    setWindowTitle(QStringLiteral("Jahresübersicht – ") + benutzer);
    setWindowIcon(ProgrammIcon());

    auto* kopf = new QHBoxLayout;
    kopf->addWidget(new QLabel(QStringLiteral("Jahr:"), this));
    JahrFeld = Benannt(new QSpinBox(this), "JahrFeld");
    const auto jahre = verlauf.Jahre(benutzer);
    JahrFeld->setRange(
        std::min(jahr, jahre ? jahre->first : jahr), std::max(jahr, jahre ? jahre->second : jahr));
    JahrFeld->setValue(jahr);
    kopf->addWidget(JahrFeld);
    kopf->addStretch();

    FInhalt = Benannt(new QWidget(this), "Inhalt");
    FInhalt->setAutoFillBackground(true);
    MonateAnsicht = NeueAnsicht(FInhalt, "MonateAnsicht");
    TageAnsicht = NeueAnsicht(FInhalt, "TageAnsicht");
    Tabelle = Benannt(new QTableWidget(13, 4, FInhalt), "Tabelle");
    Tabelle->setHorizontalHeaderLabels({ QStringLiteral("Monat"), QStringLiteral("Verbindungen"),
        QStringLiteral("Dauer"), QStringLiteral("Kosten") });
    Tabelle->verticalHeader()->hide();
    Tabelle->setSelectionBehavior(QAbstractItemView::SelectRows);
    Tabelle->setSelectionMode(QAbstractItemView::SingleSelection);
    Tabelle->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Tabelle->setMinimumWidth(330);
    auto* diagramme = new QVBoxLayout;
    diagramme->addWidget(MonateAnsicht, 3);
    diagramme->addWidget(TageAnsicht, 2);
    auto* inhalt = new QHBoxLayout(FInhalt);
    inhalt->addLayout(diagramme, 1);
    inhalt->addWidget(Tabelle);

    VergleichKnopf = Benannt(new QPushButton(QStringLiteral("Tarifvergleich"), this), "VergleichKnopf");
    BildKnopf = Benannt(new QPushButton(QStringLiteral("Als Bild speichern…"), this), "BildKnopf");
    SchliessenKnopf = Benannt(new QPushButton(QStringLiteral("Schließen"), this), "SchliessenKnopf");
    auto* knoepfe = new QHBoxLayout;
    knoepfe->addWidget(VergleichKnopf);
    knoepfe->addWidget(BildKnopf);
    knoepfe->addStretch();
    knoepfe->addWidget(SchliessenKnopf);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(kopf);
    layout->addWidget(FInhalt, 1);
    layout->addLayout(knoepfe);
    resize(900, 620);

    connect(JahrFeld, &QSpinBox::valueChanged, this, &TJahresuebersicht::ZeigeJahr);
    connect(Tabelle, &QTableWidget::currentCellChanged, this, [this](int zeile) {
        if (zeile >= 0 && zeile < 12)
            ZeigeMonat(zeile + 1);
    });
    connect(
        VergleichKnopf, &QPushButton::clicked, this, [this] { ZeigeTarifvergleich(Vergleich(Now()), this); });
    connect(BildKnopf, &QPushButton::clicked, this, &TJahresuebersicht::SpeichereBild);
    connect(SchliessenKnopf, &QPushButton::clicked, this, &QDialog::accept);

    ZeigeJahr(jahr);
}

void TJahresuebersicht::ZeigeJahr(int jahr)
{
    FBericht = BaueJahresbericht(FVerlauf, FBenutzer, jahr);
    QStringList monate;
    QList<qreal> kosten;
    for (int m = 1; m <= 12; ++m) {
        const TMonatsWerte& w = FBericht.Monate[size_t(m - 1)];
        monate << MonatsName(m).left(3);
        kosten << AufPfennig(w.Kosten);
        Tabelle->setItem(m - 1, 0, Zelle(MonatsName(m), false));
        Tabelle->setItem(m - 1, 1, Zelle(QString::number(w.Anzahl)));
        Tabelle->setItem(m - 1, 2, Zelle(DauerToStr(w.Sekunden / 86'400.0)));
        Tabelle->setItem(m - 1, 3, Zelle(Betrag(w.Kosten)));
    }
    Tabelle->setItem(12, 0, Zelle(QStringLiteral("Jahr %1").arg(jahr), false));
    Tabelle->setItem(12, 1, Zelle(QString::number(FBericht.Summe.Anzahl)));
    Tabelle->setItem(12, 2, Zelle(DauerToStr(FBericht.Summe.Sekunden / 86'400.0)));
    Tabelle->setItem(12, 3, Zelle(Betrag(FBericht.Summe.Kosten)));
    QFont fett = Tabelle->font();
    fett.setBold(true);
    for (int s = 0; s < 4; ++s)
        Tabelle->item(12, s)->setFont(fett);

    QChart* alt = MonateAnsicht->chart();
    QChart* chart = Balkendiagramm(
        QStringLiteral("Kosten von %1 im Jahr %2").arg(FBenutzer).arg(jahr), monate, kosten, FBudget);
    const auto* reihe = static_cast<QBarSeries*>(chart->series().first());
    connect(reihe->barSets().first(), &QBarSet::clicked, this, [this](int index) { ZeigeMonat(index + 1); });
    MonateAnsicht->setChart(chart);
    delete alt;

    // The month last looked at, else the latest one with connections.
    int monat = FMonat;
    if (monat == 0) {
        monat = 1;
        for (int m = 12; m >= 1; --m)
            if (FBericht.Monate[size_t(m - 1)].Anzahl > 0) {
                monat = m;
                break;
            }
    }
    ZeigeMonat(monat);
}

void TJahresuebersicht::ZeigeMonat(int monat)
{
    if (monat < 1 || monat > 12)
        return;
    FMonat = monat;
    const std::vector<TMonatsWerte> tage = FVerlauf.Tageswerte(FBenutzer, FBericht.Jahr, monat);
    QStringList namen;
    QList<qreal> kosten;
    for (size_t t = 0; t < tage.size(); ++t) {
        namen << QString::number(t + 1);
        kosten << AufPfennig(tage[t].Kosten);
    }
    QChart* alt = TageAnsicht->chart();
    TageAnsicht->setChart(Balkendiagramm(
        QStringLiteral("Tage im %1 %2").arg(MonatsName(monat)).arg(FBericht.Jahr), namen, kosten));
    delete alt;
    const QSignalBlocker still(Tabelle);
    Tabelle->setCurrentCell(monat - 1, 0);
}

QImage TJahresuebersicht::Bild() const
{
    return FInhalt->grab().toImage();
}

void TJahresuebersicht::SpeichereBild()
{
    TSaveDialogOptionen optionen;
    optionen.Titel = QStringLiteral("Als Bild speichern");
    optionen.Filter = QStringLiteral("PNG-Bild (*.png)|*.png");
    optionen.DefaultExt = QStringLiteral("png");
    optionen.FileName = QStringLiteral("Jahresübersicht %1 %2.png").arg(FBenutzer).arg(FBericht.Jahr);
    const QString pfad = Dialoge().SaveDialog(optionen);
    if (pfad.isEmpty())
        return;
    if (!Bild().save(pfad, "PNG"))
        ShowMessage(QStringLiteral("Das Bild konnte nicht als „%1“ gespeichert werden.").arg(pfad));
}

TTarifvergleich TJahresuebersicht::Vergleich(TDateTime heute) const
{
    const TZeitraum zeitraum = LetzteMonate(heute, 12);
    return VergleicheTarife(FBenutzer, FVerlauf.Verbindungen(FBenutzer, zeitraum.Von, zeitraum.Bis), zeitraum,
        Tarife, FTarifNr, PreisNachRegeln());
}

void ZeigeTarifvergleich(const TTarifvergleich& vergleich, QWidget* parent)
{
    QDialog fenster(parent);
    fenster.setObjectName(QStringLiteral("Tarifvergleich"));
    fenster.setWindowTitle(QStringLiteral("Tarifvergleich"));
    auto* layout = new QVBoxLayout(&fenster);
    const QStringList kopf = VergleichAlsText(vergleich).split(QLatin1Char('\n')).mid(0, 2);
    layout->addWidget(new QLabel(kopf.join(QLatin1Char('\n')), &fenster));
    auto* tabelle = Benannt(new QTableWidget(int(vergleich.Zeilen.size()), 3, &fenster), "VergleichTabelle");
    tabelle->setHorizontalHeaderLabels(
        { QStringLiteral("Tarif"), QStringLiteral("Kosten"), QStringLiteral("Ersparnis") });
    tabelle->verticalHeader()->hide();
    tabelle->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int i = 0; i < int(vergleich.Zeilen.size()); ++i) {
        const TVergleichsZeile& z = vergleich.Zeilen[size_t(i)];
        tabelle->setItem(
            i, 0, Zelle(z.Eigener ? z.Tarif + QStringLiteral(" (eigener Tarif)") : z.Tarif, false));
        tabelle->setItem(i, 1, Zelle(Betrag(z.Kosten)));
        tabelle->setItem(i, 2, Zelle(Betrag(z.Ersparnis)));
    }
    layout->addWidget(tabelle);
    auto* knopf = Benannt(new QPushButton(QStringLiteral("Schließen"), &fenster), "SchliessenKnopf");
    QObject::connect(knopf, &QPushButton::clicked, &fenster, &QDialog::accept);
    layout->addWidget(knopf, 0, Qt::AlignRight);
    fenster.resize(520, 360);
    fenster.exec();
}
