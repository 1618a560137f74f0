#include "core/Tarifvergleich.h"

#include "core/Budget.h"
#include "core/CsvExport.h"
#include "runtime/Format.h"
#include "runtime/Waehrung.h"
#include "store/Abrechnung.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>

namespace {

QString MonatJahr(TDateTime wann)
{
    int jahr, monat, tag;
    DecodeDate(wann, jahr, monat, tag);
    return QStringLiteral("%1/%2").arg(monat, 2, 10, QLatin1Char('0')).arg(jahr);
}

QString CsvBetrag(double betrag)
{
    QString text = FestBetrag(betrag);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

QString Datum(TDateTime wann)
{
    return VerlaufZeitText(wann).left(10);
}

} // namespace

double FlacherPreis(int, const TTarif& tarif, const TVerlaufsEintrag& verbindung, std::uint64_t)
{
    return Verbindungspreis(verbindung.Sekunden / 86'400.0, tarif);
}

std::optional<TBytestand> BytesDerVerbindung(const TVerlaufsEintrag& v)
{
    if (!v.RxBytes && !v.TxBytes)
        return std::nullopt;
    const auto zahl
        = [](const std::optional<qint64>& b) { return std::uint64_t(std::max<qint64>(0, b.value_or(0))); };
    return TBytestand { zahl(v.RxBytes), zahl(v.TxBytes) };
}

TPreisregel PreisNachRegeln(std::function<TRegelnDesTarifs(const QString& tarifname)> laden)
{
    auto geladen = std::make_shared<std::map<QString, std::optional<TTarifregeln>>>();
    return [laden = std::move(laden), geladen](
               int tarifNr, const TTarif& tarif, const TVerlaufsEintrag& v, std::uint64_t monatVorher) {
        const QString name = tarif.Name.Text();
        auto it = geladen->find(name);
        if (it == geladen->end()) {
            const TRegelnDesTarifs r = laden(name);
            it = geladen->emplace(name, r.art == TRegelnDesTarifs::Geladen ? r.Regeln : std::nullopt).first;
        }
        if (!it->second)
            return FlacherPreis(tarifNr, tarif, v, monatVorher);
        return Regelpreis(
            *it->second, v.Beginn, std::llround(v.Sekunden * 1000.0), BytesDerVerbindung(v), monatVorher);
    };
}

TZeitraum LetzteMonate(TDateTime heute, int monate)
{
    int jahr, monat, tag;
    DecodeDate(heute, jahr, monat, tag);
    const int letzter = jahr * 12 + monat - 1;
    const int erster = letzter - std::max(1, monate) + 1;
    TZeitraum z;
    z.Von = EncodeDate(erster / 12, erster % 12 + 1, 1);
    z.Bis = EncodeDate((letzter + 1) / 12, (letzter + 1) % 12 + 1, 1);
    z.Monate = letzter - erster + 1;
    return z;
}

TTarifvergleich VergleicheTarife(const QString& benutzer, const std::vector<TVerlaufsEintrag>& verbindungen,
    const TZeitraum& zeitraum, const TTarifTabelle& tarife, int eigenerTarifNr, const TPreisregel& preis)
{
    TTarifvergleich vergleich;
    vergleich.Benutzer = benutzer;
    vergleich.Zeitraum = zeitraum;
    vergleich.Verbindungen = int(verbindungen.size());
    long double bezahlt = 0;
    for (const TVerlaufsEintrag& v : verbindungen)
        bezahlt += v.Kosten;
    vergleich.EigeneKosten = AufPfennig(bezahlt);

    // What each connection's month transferred before it, whatever the tariff.
    std::vector<std::uint64_t> monatVorher;
    std::map<int, std::uint64_t> monatsvolumen;
    for (const TVerlaufsEintrag& v : verbindungen) {
        std::uint64_t& bisher = monatsvolumen[MonatsIndex(v.Beginn)];
        monatVorher.push_back(bisher);
        if (const std::optional<TBytestand> bytes = BytesDerVerbindung(v))
            bisher += std::min(Gesamt(*bytes), std::numeric_limits<std::uint64_t>::max() - bisher);
    }

    for (int n = 1; n <= MaxTarife; ++n) {
        const TTarif& tarif = tarife[n];
        if (tarif.Name.Leer())
            continue;
        long double summe = static_cast<long double>(tarif.Grundpreis) * zeitraum.Monate;
        for (size_t i = 0; i < verbindungen.size(); ++i)
            summe += preis(n, tarif, verbindungen[i], monatVorher[i]);
        TVergleichsZeile zeile;
        zeile.TarifNr = n;
        zeile.Tarif = tarif.Name.Text();
        zeile.Kosten = AufPfennig(summe);
        zeile.Eigener = n == eigenerTarifNr;
        if (zeile.Eigener) {
            vergleich.EigeneKosten = zeile.Kosten;
            vergleich.EigenerTarif = zeile.Tarif;
        }
        vergleich.Zeilen.push_back(zeile);
    }
    for (TVergleichsZeile& zeile : vergleich.Zeilen)
        zeile.Ersparnis = AufPfennig(static_cast<long double>(vergleich.EigeneKosten) - zeile.Kosten);
    std::stable_sort(vergleich.Zeilen.begin(), vergleich.Zeilen.end(),
        [](const TVergleichsZeile& a, const TVergleichsZeile& b) { return a.Kosten < b.Kosten; });
    return vergleich;
}

QString VergleichAlsText(const TTarifvergleich& vergleich)
{
    QString text = QStringLiteral("Tarifvergleich für %1, %2 bis %3 (%4 Monate, %5 Verbindungen)\n")
                       .arg(vergleich.Benutzer, MonatJahr(vergleich.Zeitraum.Von),
                           MonatJahr(vergleich.Zeitraum.Bis - 1))
                       .arg(vergleich.Zeitraum.Monate)
                       .arg(vergleich.Verbindungen);
    text += vergleich.EigenerTarif.isEmpty()
        ? QStringLiteral("Ersparnis gegenüber den berechneten Kosten von %1\n")
              .arg(MitWaehrung(ZweiStellen(vergleich.EigeneKosten)))
        : QStringLiteral("Ersparnis gegenüber dem eigenen Tarif „%1“\n").arg(vergleich.EigenerTarif);
    text += QStringLiteral("\n%1 %2 %3\n")
                .arg(QStringLiteral("Tarif"), -50)
                .arg(QStringLiteral("Kosten"), 13)
                .arg(QStringLiteral("Ersparnis"), 13);
    for (const TVergleichsZeile& z : vergleich.Zeilen) {
        text += QStringLiteral("%1 %2 %3%4\n")
                    .arg(z.Tarif, -50)
                    .arg(MitWaehrung(ZweiStellen(z.Kosten)), 13)
                    .arg(MitWaehrung(ZweiStellen(z.Ersparnis)), 13)
                    .arg(z.Eigener ? QStringLiteral("  (eigener Tarif)") : QString());
    }
    if (vergleich.Zeilen.empty())
        text += QStringLiteral("Es ist kein Tarif gespeichert.\n");
    return text;
}

QByteArray VergleichAlsCsv(const TTarifvergleich& vergleich)
{
    const QString zeilenende = QStringLiteral("\r\n");
    QString text = QStringLiteral("Tarif;") + MitWaehrungInKlammern(QStringLiteral("Kosten"))
        + QLatin1Char(';') + MitWaehrungInKlammern(QStringLiteral("Ersparnis")) + zeilenende;
    for (const TVergleichsZeile& z : vergleich.Zeilen)
        text += CsvFeld(z.Tarif) + QLatin1Char(';') + CsvBetrag(z.Kosten) + QLatin1Char(';')
            + CsvBetrag(z.Ersparnis) + zeilenende;
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

QByteArray VergleichAlsJson(const TTarifvergleich& vergleich)
{
    QJsonArray zeilen;
    for (const TVergleichsZeile& z : vergleich.Zeilen)
        zeilen.append(
            QJsonObject { { QStringLiteral("tarif"), z.Tarif }, { QStringLiteral("kosten"), z.Kosten },
                { QStringLiteral("ersparnis"), z.Ersparnis }, { QStringLiteral("eigener"), z.Eigener } });
    const QJsonObject objekt { { QStringLiteral("benutzer"), vergleich.Benutzer },
        { QStringLiteral("von"), Datum(vergleich.Zeitraum.Von) },
        { QStringLiteral("bis"), Datum(vergleich.Zeitraum.Bis - 1) },
        { QStringLiteral("monate"), vergleich.Zeitraum.Monate },
        { QStringLiteral("verbindungen"), vergleich.Verbindungen },
        { QStringLiteral("eigener_tarif"),
            vergleich.EigenerTarif.isEmpty() ? QJsonValue() : QJsonValue(vergleich.EigenerTarif) },
        { QStringLiteral("eigene_kosten"), vergleich.EigeneKosten },
        { QStringLiteral("waehrung"), WaehrungsKennung(Waehrung) }, { QStringLiteral("tarife"), zeilen } };
    return QJsonDocument(objekt).toJson(QJsonDocument::Indented);
}
