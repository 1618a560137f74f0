#include "core/Datenvolumen.h"

#include "runtime/Format.h"
#include "store/Daten.h"
#include "store/Verlauf.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr std::uint64_t Hoechstwert = std::numeric_limits<std::uint64_t>::max();

std::uint64_t Plus(std::uint64_t a, std::uint64_t b)
{
    return a > Hoechstwert - b ? Hoechstwert : a + b;
}

// What one counter grew by since the last reading; a smaller value is a new count.
std::uint64_t Zuwachs(std::uint64_t vorher, std::uint64_t jetzt)
{
    return jetzt >= vorher ? jetzt - vorher : jetzt;
}

QString Zahl(double wert, int stellen)
{
    QString text = QString::number(wert, 'f', stellen);
    text.replace(QLatin1Char('.'), FormatSettings.DecimalSeparator);
    return text;
}

struct TEinheit {
    std::uint64_t Groesse;
    const char* Name;
};

TEinheit EinheitFuer(std::uint64_t bytes)
{
    if (bytes >= GB)
        return { GB, "GB" };
    if (bytes >= MB)
        return { MB, "MB" };
    return { KB, "kB" };
}

QString InEinheit(std::uint64_t bytes, TEinheit einheit, int stellen)
{
    return Zahl(double(bytes) / double(einheit.Groesse), stellen);
}

} // namespace

void TBytezaehler::Lies(const std::optional<TBytestand>& stand)
{
    if (!stand)
        return; // the last value read stays the base for the next
    if (FLetzter) {
        FSumme.Empfangen = Plus(FSumme.Empfangen, Zuwachs(FLetzter->Empfangen, stand->Empfangen));
        FSumme.Gesendet = Plus(FSumme.Gesendet, Zuwachs(FLetzter->Gesendet, stand->Gesendet));
    }
    FLetzter = stand;
}

std::optional<TBytestand> TBytezaehler::Summe() const
{
    if (!FLetzter)
        return std::nullopt;
    return FSumme;
}

std::uint64_t Gesamt(const TBytestand& stand)
{
    return Plus(stand.Empfangen, stand.Gesendet);
}

QString VolumenText(std::uint64_t bytes, int stellen)
{
    const TEinheit einheit = EinheitFuer(bytes);
    return InEinheit(bytes, einheit, stellen) + QLatin1Char(' ') + QLatin1String(einheit.Name);
}

QString VolumenText(const std::optional<TBytestand>& stand)
{
    return stand ? VolumenText(Gesamt(*stand)) : QStringLiteral("–");
}

QString InklusivText(std::uint64_t verbraucht, std::uint64_t inklusiv)
{
    const TEinheit einheit = EinheitFuer(inklusiv);
    return QStringLiteral("Inklusivvolumen: ") + InEinheit(verbraucht, einheit, 1) + QStringLiteral(" von ")
        + InEinheit(inklusiv, einheit, 1) + QLatin1Char(' ') + QLatin1String(einheit.Name);
}

QString MonatsvolumenText(std::uint64_t bytes)
{
    return QStringLiteral("Datenvolumen im Monat: ") + VolumenText(bytes, 2);
}

std::optional<QString> LiesVolumen(const QString& text, bool positiv, std::uint64_t& bytes)
{
    static const QRegularExpression muster(
        QStringLiteral(R"(^\s*(\d+)(?:[.,](\d+))?\s*(bytes?|kb|mb|gb)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = muster.match(text);
    const auto fehler = [&] { return QStringLiteral("ungültiges Volumen '%1'").arg(text.trimmed()); };
    if (!m.hasMatch())
        return fehler();
    const QString einheit = m.captured(3).toLower();
    const int stellen = einheit == QLatin1String("gb") ? 9
        : einheit == QLatin1String("mb")               ? 6
        : einheit == QLatin1String("kb")               ? 3
                                                       : 0;
    // Whole bytes only, counted in digits so that no rounding creeps in.
    QString nachkomma = m.captured(2);
    while (nachkomma.endsWith(QLatin1Char('0')))
        nachkomma.chop(1);
    if (nachkomma.size() > stellen)
        return fehler();
    const QString ziffern = m.captured(1) + nachkomma + QString(stellen - nachkomma.size(), QLatin1Char('0'));
    bool ok = false;
    const qulonglong wert = ziffern.toULongLong(&ok);
    if (!ok || (positiv && wert == 0))
        return fehler();
    bytes = wert;
    return std::nullopt;
}

QString VolumenEingabeText(std::uint64_t bytes)
{
    const bool mb = bytes >= MB;
    const std::uint64_t einheit = mb ? MB : KB;
    QString text = QString::number(bytes / einheit);
    if (const std::uint64_t rest = bytes % einheit) {
        QString nachkomma = QString::number(rest).rightJustified(mb ? 6 : 3, QLatin1Char('0'));
        while (nachkomma.endsWith(QLatin1Char('0')))
            nachkomma.chop(1);
        text += FormatSettings.DecimalSeparator + nachkomma;
    }
    return text + (mb ? QStringLiteral(" MB") : QStringLiteral(" kB"));
}

std::uint64_t VolumenBloecke(const TVolumenpreis& tarif, std::uint64_t vorher, std::uint64_t volumen)
{
    if (!tarif.Gesetzt() || volumen == 0)
        return 0;
    const std::uint64_t frei = vorher >= tarif.Inklusiv ? 0 : tarif.Inklusiv - vorher;
    if (volumen <= frei)
        return 0;
    const std::uint64_t rest = volumen - frei;
    return rest / tarif.Block + (rest % tarif.Block ? 1 : 0);
}

double VolumenKosten(const TVolumenpreis& tarif, std::uint64_t vorher, std::uint64_t volumen)
{
    return double(VolumenBloecke(tarif, vorher, volumen)) * tarif.PreisPf;
}

double VolumenAnteil(const TVolumenpreis& tarif, std::uint64_t vorher, const std::optional<TBytestand>& bytes)
{
    if (!tarif.Gesetzt())
        return 0;
    return AufPfennig(VolumenKosten(tarif, vorher, bytes ? Gesamt(*bytes) : 0) / 100);
}

void TVolumenbuch::Trage(const TEintrag& eintrag)
{
    FEintraege.push_back(eintrag);
}

std::optional<std::uint64_t> TVolumenbuch::Monatsvolumen(int benutzer, int monatsIndex) const
{
    std::optional<std::uint64_t> summe;
    for (const TEintrag& e : FEintraege)
        if (e.Benutzer == benutzer && e.MonatsIndex == monatsIndex && e.Bytes)
            summe = Plus(summe.value_or(0), Gesamt(*e.Bytes));
    return summe;
}

std::optional<TBytestand> TVolumenbuch::Bytes(
    int benutzer, TDateTime datum, TDateTime dauer, double kosten) const
{
    // The latest match: an entry written over in a month's slot is the newer one.
    for (auto it = FEintraege.rbegin(); it != FEintraege.rend(); ++it)
        if (it->Benutzer == benutzer && it->Datum == datum && it->Dauer == dauer && it->Kosten == kosten)
            return it->Bytes;
    return std::nullopt;
}

TVolumenbuch& Volumenbuch()
{
    static TVolumenbuch buch;
    return buch;
}

std::uint64_t MonatsvolumenBisher(int benutzer, int monatsIndex)
{
    const std::uint64_t imBuch = Volumenbuch().Monatsvolumen(benutzer, monatsIndex).value_or(0);
    TVerlauf& verlauf = Verlauf();
    if (!verlauf.Offen() || benutzer < 1 || benutzer > MaxBenutzer)
        return imBuch;

    struct TGelesen {
        QString Benutzer, Pfad;
        int MonatsIndex = 0;
        size_t Buchstand = 0;
        std::uint64_t Bytes = 0;
    };
    static std::optional<TGelesen> gelesen;
    const QString name = Daten.Benutzer[benutzer].Name.Text();
    const size_t buchstand = Volumenbuch().Anzahl();
    if (!gelesen || gelesen->Benutzer != name || gelesen->MonatsIndex != monatsIndex
        || gelesen->Buchstand != buchstand || gelesen->Pfad != verlauf.Pfad()) {
        const int jahr = monatsIndex / 12, monat = monatsIndex % 12 + 1;
        const TDateTime von = EncodeDate(jahr, monat, 1);
        const TDateTime bis = monat == 12 ? EncodeDate(jahr + 1, 1, 1) : EncodeDate(jahr, monat + 1, 1);
        std::uint64_t summe = 0;
        for (const TVerlaufsEintrag& v : verlauf.Verbindungen(name, von, bis))
            summe = Plus(summe,
                Plus(std::uint64_t(std::max<qint64>(0, v.RxBytes.value_or(0))),
                    std::uint64_t(std::max<qint64>(0, v.TxBytes.value_or(0)))));
        gelesen = TGelesen { name, verlauf.Pfad(), monatsIndex, buchstand, summe };
    }
    return std::max(imBuch, gelesen->Bytes);
}
