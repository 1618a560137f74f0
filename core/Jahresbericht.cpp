#include "core/Jahresbericht.h"

#include "core/Budget.h"
#include "core/KontoBericht.h"
#include "runtime/Format.h"
#include "runtime/Waehrung.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace {

QString CsvBetrag(double betrag)
{
    QString text = FestBetrag(betrag);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

QJsonValue Bytes(const std::optional<qint64>& wert)
{
    return wert ? QJsonValue(double(*wert)) : QJsonValue();
}

QJsonObject Werte(const TMonatsWerte& w)
{
    return { { QStringLiteral("verbindungen"), w.Anzahl }, { QStringLiteral("sekunden"), w.Sekunden },
        { QStringLiteral("kosten"), AufPfennig(w.Kosten) } };
}

} // namespace

TJahresbericht BaueJahresbericht(const TVerlauf& verlauf, const QString& benutzer, int jahr)
{
    TJahresbericht bericht;
    bericht.Benutzer = benutzer;
    bericht.Jahr = jahr;
    bericht.Monate = verlauf.Monatswerte(benutzer, jahr);
    for (const TMonatsWerte& m : bericht.Monate) {
        bericht.Summe.Anzahl += m.Anzahl;
        bericht.Summe.Sekunden += m.Sekunden;
        bericht.Summe.Kosten += m.Kosten;
    }
    return bericht;
}

QString JahrAlsText(const TJahresbericht& bericht)
{
    QString text
        = QStringLiteral("Verbindungen von %1 im Jahr %2\n\n").arg(bericht.Benutzer).arg(bericht.Jahr);
    const auto zeile = [](const QString& name, const TMonatsWerte& w) {
        return QStringLiteral("%1 %2 %3 %4\n")
            .arg(name, -10)
            .arg(w.Anzahl, 6)
            .arg(DauerToStr(w.Sekunden / 86'400.0), 12)
            .arg(MitWaehrung(ZweiStellen(AufPfennig(w.Kosten))), 13);
    };
    text += QStringLiteral("%1 %2 %3 %4\n")
                .arg(QStringLiteral("Monat"), -10)
                .arg(QStringLiteral("Anzahl"), 6)
                .arg(QStringLiteral("Dauer"), 12)
                .arg(QStringLiteral("Kosten"), 13);
    for (int m = 1; m <= 12; ++m)
        text += zeile(MonatsName(m), bericht.Monate[size_t(m - 1)]);
    text += zeile(QStringLiteral("Jahr"), bericht.Summe);
    return text;
}

QByteArray JahrAlsCsv(const TJahresbericht& bericht)
{
    const QString zeilenende = QStringLiteral("\r\n");
    QString text = QStringLiteral("Monat;Verbindungen;Dauer (Sekunden);")
        + MitWaehrungInKlammern(QStringLiteral("Kosten")) + zeilenende;
    for (int m = 1; m <= 12; ++m) {
        const TMonatsWerte& w = bericht.Monate[size_t(m - 1)];
        text += QStringLiteral("%1/%2;%3;%4;%5")
                    .arg(m, 2, 10, QLatin1Char('0'))
                    .arg(bericht.Jahr)
                    .arg(w.Anzahl)
                    .arg(qint64(std::floor(w.Sekunden)))
                    .arg(CsvBetrag(w.Kosten))
            + zeilenende;
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

QByteArray JahrAlsJson(const TJahresbericht& bericht)
{
    QJsonArray monate;
    for (int m = 1; m <= 12; ++m) {
        QJsonObject o = Werte(bericht.Monate[size_t(m - 1)]);
        o.insert(QStringLiteral("monat"), m);
        monate.append(o);
    }
    QJsonObject objekt = Werte(bericht.Summe);
    objekt.insert(QStringLiteral("benutzer"), bericht.Benutzer);
    objekt.insert(QStringLiteral("jahr"), bericht.Jahr);
    objekt.insert(QStringLiteral("monate"), monate);
    objekt.insert(QStringLiteral("waehrung"), WaehrungsKennung(Waehrung));
    return QJsonDocument(objekt).toJson(QJsonDocument::Indented);
}

QByteArray MonatAlsJson(const QString& benutzer, int jahr, int monat, double grundpreis,
    const std::vector<TVerlaufsEintrag>& verbindungen)
{
    QJsonArray liste;
    long double kosten = 0;
    double sekunden = 0;
    for (const TVerlaufsEintrag& v : verbindungen) {
        kosten += v.Kosten;
        sekunden += v.Sekunden;
        liste.append(QJsonObject { { QStringLiteral("beginn"), VerlaufZeitText(v.Beginn) },
            { QStringLiteral("ende"), VerlaufZeitText(v.Ende) }, { QStringLiteral("sekunden"), v.Sekunden },
            { QStringLiteral("kosten"), v.Kosten }, { QStringLiteral("tarif"), v.Tarif },
            { QStringLiteral("rx_bytes"), Bytes(v.RxBytes) },
            { QStringLiteral("tx_bytes"), Bytes(v.TxBytes) },
            { QStringLiteral("wiederhergestellt"), v.Wiederhergestellt } });
    }
    const QJsonObject objekt { { QStringLiteral("benutzer"), benutzer }, { QStringLiteral("jahr"), jahr },
        { QStringLiteral("monat"), monat }, { QStringLiteral("grundpreis"), grundpreis },
        { QStringLiteral("waehrung"), WaehrungsKennung(Waehrung) }, { QStringLiteral("sekunden"), sekunden },
        { QStringLiteral("kosten"), AufPfennig(kosten + grundpreis) },
        { QStringLiteral("verbindungen"), liste } };
    return QJsonDocument(objekt).toJson(QJsonDocument::Indented);
}
