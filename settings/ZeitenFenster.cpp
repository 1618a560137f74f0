#include "settings/ZeitenFenster.h"

#include "gui/Benannt.h"
#include "runtime/Dialoge.h"
#include "runtime/Waehrung.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TZeitenFenster::TZeitenFenster(
    const QString& tarifname, const TTarifregeln& regeln, TSpeichern speichernMit, QWidget* parent)
    : QDialog(parent)
    , speichern(std::move(speichernMit))
{
    setObjectName(QStringLiteral("ZeitenFenster"));
    setWindowTitle(QStringLiteral("Zeiten des Tarifs %1").arg(tarifname));
    auto* layout = new QVBoxLayout(this);

    auto* felder = new QGridLayout;
    const auto feld = [this, felder](QLineEdit*& ziel, const char* name, int zeile, int spalte,
                          const char* text, const char* einheit) {
        ziel = Benannt(new QLineEdit(this), name);
        ziel->setMaximumWidth(90);
        auto* beschriftung = new QLabel(QString::fromUtf8(text), this);
        beschriftung->setBuddy(ziel);
        felder->addWidget(beschriftung, zeile, spalte * 3);
        felder->addWidget(ziel, zeile, spalte * 3 + 1);
        const QString e = QString::fromUtf8(einheit);
        felder->addWidget(
            new QLabel(e == QLatin1String("DM") ? WaehrungsZeichen() : e, this), zeile, spalte * 3 + 2);
    };
    feld(EStandardPreis, "EStandardPreis", 0, 0, "Sonst: Preis je Einheit:", "DM");
    feld(EStandardEinheit, "EStandardEinheit", 0, 1, "Einheit:", "s");
    feld(EErsterBlockPreis, "EErsterBlockPreis", 1, 0, "Erster Block:", "DM");
    feld(EErsterBlockSekunden, "EErsterBlockSekunden", 1, 1, "für die ersten", "s");
    feld(EProVerbindung, "EProVerbindung", 2, 0, "Je Verbindung:", "DM");
    feld(EMindestpreis, "EMindestpreis", 2, 1, "Mindestens:", "DM");
    feld(EVolumenPreis, "EVolumenPreis", 3, 0, "Datenvolumen: Preis:", "DM");
    feld(EVolumenBlock, "EVolumenBlock", 3, 1, "je angefangene", "(MB, kB)");
    feld(EInklusivvolumen, "EInklusivvolumen", 4, 0, "Inklusiv im Monat:", "(MB, kB)");
    felder->setColumnStretch(6, 1);
    layout->addLayout(felder);

    KeineBytesLabel = Benannt(new QLabel(KeineBytesHinweis(), this), "KeineBytesLabel");
    KeineBytesLabel->setWordWrap(true);
    KeineBytesLabel->setVisible(!KeineBytesLabel->text().isEmpty());
    layout->addWidget(KeineBytesLabel);

    auto* hinweis
        = new QLabel(QStringLiteral("Tage: monday..sunday, Bereiche wie monday..friday, Daten wie 12/24 "
                                    "oder 24.12, easter, easter-2, holiday (Feiertage); leer = jeden Tag. "
                                    "Von und bis leer = den ganzen Tag. Die letzte passende Zeile gilt."),
            this);
    hinweis->setWordWrap(true);
    layout->addWidget(hinweis);

    ZeitenTabelle = Benannt(new QTableWidget(0, Spalten, this), "ZeitenTabelle");
    ZeitenTabelle->setHorizontalHeaderLabels({ QStringLiteral("Tage"), QStringLiteral("von"),
        QStringLiteral("bis"), QStringLiteral("Preis je Einheit"), QStringLiteral("Einheit in Sekunden"),
        QStringLiteral("ab Sekunde") });
    ZeitenTabelle->horizontalHeader()->setSectionResizeMode(SpalteTage, QHeaderView::Stretch);
    for (int s = SpalteVon; s < Spalten; ++s)
        ZeitenTabelle->horizontalHeader()->setSectionResizeMode(s, QHeaderView::ResizeToContents);
    layout->addWidget(ZeitenTabelle, 1);

    BaueKnoepfe(layout);

    ZeigeEingabe(ZeitenEingabeAus(regeln));
    resize(sizeHint().expandedTo(QSize(640, 380)));
}

void TZeitenFenster::BaueKnoepfe(QVBoxLayout* layout)
{
    auto* knoepfe = new QHBoxLayout;
    ZeileNeuBtn = Benannt(new QPushButton(QStringLiteral("Zeile &hinzufügen"), this), "ZeileNeuBtn");
    ZeileWegBtn = Benannt(new QPushButton(QStringLiteral("Zeile &entfernen"), this), "ZeileWegBtn");
    OKBtn = Benannt(new QPushButton(QStringLiteral("OK"), this), "OKBtn");
    AbbrechenBtn = Benannt(new QPushButton(QStringLiteral("Abbrechen"), this), "AbbrechenBtn");
    for (QPushButton* k : { ZeileNeuBtn, ZeileWegBtn, OKBtn, AbbrechenBtn })
        k->setAutoDefault(false);
    knoepfe->addWidget(ZeileNeuBtn);
    knoepfe->addWidget(ZeileWegBtn);
    knoepfe->addStretch(1);
    knoepfe->addWidget(OKBtn);
    knoepfe->addWidget(AbbrechenBtn);
    layout->addLayout(knoepfe);

    connect(ZeileNeuBtn, &QPushButton::clicked, this, [this] {
        ZeitenTabelle->insertRow(ZeitenTabelle->rowCount());
        ZeitenTabelle->setCurrentCell(ZeitenTabelle->rowCount() - 1, SpalteTage);
    });
    connect(ZeileWegBtn, &QPushButton::clicked, this, [this] {
        if (ZeitenTabelle->currentRow() >= 0)
            ZeitenTabelle->removeRow(ZeitenTabelle->currentRow());
    });
    connect(OKBtn, &QPushButton::clicked, this, &TZeitenFenster::OKBtnClick);
    connect(AbbrechenBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TZeitenFenster::ZeigeEingabe(const TZeitenEingabe& e)
{
    EStandardPreis->setText(e.StandardPreis);
    EStandardEinheit->setText(e.StandardEinheit);
    EProVerbindung->setText(e.ProVerbindung);
    EErsterBlockPreis->setText(e.ErsterBlockPreis);
    EErsterBlockSekunden->setText(e.ErsterBlockSekunden);
    EMindestpreis->setText(e.Mindestpreis);
    EVolumenPreis->setText(e.VolumenPreis);
    EVolumenBlock->setText(e.VolumenBlock);
    EInklusivvolumen->setText(e.Inklusivvolumen);
    ZeitenTabelle->setRowCount(int(e.Zeilen.size()));
    for (int i = 0; i < int(e.Zeilen.size()); ++i) {
        const TZeitenZeile& z = e.Zeilen[size_t(i)];
        const QString texte[Spalten] = { z.Tage, z.Von, z.Bis, z.Preis, z.Einheit, z.AbSekunde };
        for (int s = 0; s < Spalten; ++s)
            ZeitenTabelle->setItem(i, s, new QTableWidgetItem(texte[s]));
    }
}

TZeitenEingabe TZeitenFenster::Eingabe() const
{
    TZeitenEingabe e;
    e.StandardPreis = EStandardPreis->text();
    e.StandardEinheit = EStandardEinheit->text();
    e.ProVerbindung = EProVerbindung->text();
    e.ErsterBlockPreis = EErsterBlockPreis->text();
    e.ErsterBlockSekunden = EErsterBlockSekunden->text();
    e.Mindestpreis = EMindestpreis->text();
    e.VolumenPreis = EVolumenPreis->text();
    e.VolumenBlock = EVolumenBlock->text();
    e.Inklusivvolumen = EInklusivvolumen->text();
    const auto text = [this](int zeile, int spalte) {
        const QTableWidgetItem* item = ZeitenTabelle->item(zeile, spalte);
        return item ? item->text() : QString();
    };
    for (int i = 0; i < ZeitenTabelle->rowCount(); ++i)
        e.Zeilen.push_back({ text(i, SpalteTage), text(i, SpalteVon), text(i, SpalteBis),
            text(i, SpaltePreis), text(i, SpalteEinheit), text(i, SpalteAb) });
    return e;
}

void TZeitenFenster::OKBtnClick()
{
    const TZeitenGelesen gelesen = LiesZeitenEingabe(Eingabe());
    const TErgebnis ergebnis
        = gelesen.Regeln ? speichern(*gelesen.Regeln) : TErgebnis::Fehlschlag(gelesen.Fehler);
    if (!ergebnis.Ok()) {
        ShowMessage(ergebnis.Fehler);
        return;
    }
    accept();
}
