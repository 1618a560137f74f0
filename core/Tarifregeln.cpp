#include "core/Tarifregeln.h"

#include "runtime/Format.h"
#include "runtime/Waehrung.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>

namespace {

constexpr int64_t MinuteMs = 60'000;
// Nobody pays a million DM a unit or waits a year for one: such numbers are typos.
constexpr double HoechsterPreisPf = 1e8;
constexpr int64_t HoechsteSekundenMs = 366 * MSecsPerDay;
constexpr int64_t Nie = std::numeric_limits<int64_t>::max();

const char* const Wochentagnamen[7]
    = { "monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday" };

QString Fehler(const char* grund, const QString& text)
{
    return QString::fromUtf8(grund) + QStringLiteral(" '") + text + QLatin1Char('\'');
}

// ---- Calendar ----

int64_t Tagnummer(int jahr, int monat, int tag)
{
    return std::llround(EncodeDate(jahr, monat, tag));
}

// 1 (Monday) .. 7 (Sunday); day 0 of TDateTime, 1899-12-30, was a Saturday.
int Wochentag(int64_t tagnummer)
{
    return int(((tagnummer + 5) % 7 + 7) % 7) + 1;
}

// A day as the rules look at it.
struct TTag {
    int64_t Nummer = 0;
    int Jahr = 0, Monat = 0, Tag = 0, Wochentag = 0;
};

TTag TagAus(int64_t nummer)
{
    TTag t;
    t.Nummer = nummer;
    DecodeDate(double(nummer), t.Jahr, t.Monat, t.Tag);
    t.Wochentag = Wochentag(nummer);
    return t;
}

bool ImBereich(int wert, int von, int bis)
{
    return von <= bis ? wert >= von && wert <= bis : wert >= von || wert <= bis;
}

bool TagPasst(const TTagAngabe& a, const TTag& t)
{
    switch (a.art) {
    case TTagAngabe::Wochentage:
        return ImBereich(t.Wochentag, a.Von, a.Bis);
    case TTagAngabe::Daten:
        return ImBereich(t.Monat * 100 + t.Tag, a.Von, a.Bis);
    case TTagAngabe::Ostern:
        // Far offsets reach into the neighbouring years' Easter.
        for (int j = t.Jahr - 1; j <= t.Jahr + 1; ++j)
            if (t.Nummer == OsterTag(j) + a.Von)
                return true;
        return false;
    case TTagAngabe::Feiertag:
        return IstFeiertag(t.Jahr, t.Monat, t.Tag);
    }
    return false;
}

bool TagePassen(const std::vector<TTagAngabe>& tage, const TTag& t)
{
    return tage.empty()
        || std::any_of(tage.begin(), tage.end(), [&](const TTagAngabe& a) { return TagPasst(a, t); });
}

// ---- Local time ----

struct TOrt {
    int64_t Tag = 0; // day number of the local date
    int32_t TagesMs = 0;
    long Versatz = 0; // seconds east of UTC
};

int64_t AbgerundetGeteilt(int64_t a, int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

TOrt OrtBei(int64_t utcMs)
{
    const time_t sekunden = time_t(AbgerundetGeteilt(utcMs, 1000));
    std::tm tm {};
    localtime_r(&sekunden, &tm);
    TOrt ort;
    ort.Tag = Tagnummer(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    ort.TagesMs
        = int32_t((tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec) * 1000 + (utcMs - sekunden * 1000LL));
    ort.Versatz = tm.tm_gmtoff;
    return ort;
}

int64_t UtcAusOrtszeit(TDateTime lokal)
{
    const TZeitTeile z = ZerlegeZeit(lokal);
    int jahr, monat, tag;
    DecodeDate(double(z.Tage), jahr, monat, tag);
    std::tm tm {};
    tm.tm_year = jahr - 1900;
    tm.tm_mon = monat - 1;
    tm.tm_mday = tag;
    tm.tm_hour = z.Stunde;
    tm.tm_min = z.Minute;
    tm.tm_sec = z.Sekunde;
    tm.tm_isdst = -1;
    return int64_t(std::mktime(&tm)) * 1000 + z.MSek;
}

bool RegelPasst(const TZeitregel& r, const TTag& heute, int32_t tagesMs, int64_t dauerMs)
{
    if (dauerMs < r.AbMs)
        return false;
    // A window over midnight is the evening and the morning of each day listed, as the
    // rulesets written for weekday nights expect ("monday..friday" 21:00..07:59 makes
    // Monday morning cheap too).
    const bool zeit = r.Von < r.BisEnde ? tagesMs >= r.Von && tagesMs < r.BisEnde
                                        : tagesMs >= r.Von || tagesMs < r.BisEnde;
    return zeit && TagePassen(r.Tage, heute);
}

// ---- Text ----

QString Normal(const QString& text)
{
    return text.trimmed().toLower();
}

// Digits with an optional decimal point or comma, as integer and fraction digits.
bool Dezimal(const QString& text, QString& ganz, QString& bruch)
{
    static const QRegularExpression muster(QStringLiteral("^(\\d*)(?:[.,](\\d*))?$"));
    const QRegularExpressionMatch m = muster.match(text.trimmed());
    if (!m.hasMatch() || m.captured(1).size() + m.captured(2).size() == 0)
        return false;
    ganz = m.captured(1);
    bruch = m.captured(2);
    return true;
}

// The decimal text times 10^stellen, exactly as the text says it, as a number text.
QString Verschoben(const QString& ganz, const QString& bruch, int stellen)
{
    const QString b = bruch.leftJustified(stellen, QLatin1Char('0'));
    return (ganz.isEmpty() ? QStringLiteral("0") : ganz) + b.left(stellen) + QLatin1Char('.') + b.mid(stellen)
        + QLatin1Char('0');
}

// The shortest text of a number, moved 'stellen' places to the right of the point.
QString Zurueckverschoben(double wert, int stellen)
{
    QString t = QString::number(wert, 'f', QLocale::FloatingPointShortest);
    const bool minus = t.startsWith(QLatin1Char('-'));
    if (minus)
        t.remove(0, 1);
    qsizetype punkt = t.indexOf(QLatin1Char('.'));
    if (punkt < 0) {
        punkt = t.size();
        t += QLatin1Char('.');
    }
    t.remove(punkt, 1);
    while (punkt < stellen + 1) {
        t.prepend(QLatin1Char('0'));
        ++punkt;
    }
    t.insert(punkt - stellen, QLatin1Char('.'));
    while (t.endsWith(QLatin1Char('0')))
        t.chop(1);
    if (t.endsWith(QLatin1Char('.')))
        t.chop(1);
    while (t.startsWith(QLatin1Char('0')) && t.size() > 1 && t[1] != QLatin1Char('.'))
        t.remove(0, 1);
    return minus ? QLatin1Char('-') + t : t;
}

std::optional<int> Wochentagnummer(const QString& wort)
{
    for (int i = 0; i < 7; ++i)
        if (wort == QLatin1String(Wochentagnamen[i]))
            return i + 1;
    return std::nullopt;
}

// "12/24" (month/day) or "24.12" (day.month) as month*100+day; nothing when it is no
// date form, an error text when it is one but no calendar day.
std::optional<int> Datum(const QString& wort, QString& fehler)
{
    static const QRegularExpression us(QStringLiteral("^(\\d{1,2})/(\\d{1,2})$"));
    static const QRegularExpression de(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.?$"));
    int monat = 0, tag = 0;
    if (const auto m = us.match(wort); m.hasMatch()) {
        monat = m.captured(1).toInt();
        tag = m.captured(2).toInt();
    }
    else if (const auto d = de.match(wort); d.hasMatch()) {
        tag = d.captured(1).toInt();
        monat = d.captured(2).toInt();
    }
    else {
        return std::nullopt;
    }
    static const int tage[12] = { 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (monat < 1 || monat > 12 || tag < 1 || tag > tage[monat - 1]) {
        fehler = Fehler("ungültiges Datum", wort);
        return std::nullopt;
    }
    return monat * 100 + tag;
}

std::optional<QString> LiesTag(const QString& roh, std::vector<TTagAngabe>& tage)
{
    const QString wort = Normal(roh);
    if (wort.isEmpty())
        return QStringLiteral("leerer Eintrag in der Liste der Tage");
    if (const qsizetype punkte = wort.indexOf(QLatin1String("..")); punkte >= 0) {
        const QString a = wort.left(punkte).trimmed(), b = wort.mid(punkte + 2).trimmed();
        const auto wa = Wochentagnummer(a), wb = Wochentagnummer(b);
        if (wa && wb) {
            tage.push_back({ TTagAngabe::Wochentage, *wa, *wb });
            return std::nullopt;
        }
        QString fehler;
        const auto da = Datum(a, fehler);
        const auto db = da ? Datum(b, fehler) : std::nullopt;
        if (da && db) {
            tage.push_back({ TTagAngabe::Daten, *da, *db });
            return std::nullopt;
        }
        if (!fehler.isEmpty())
            return fehler;
        const QString falsch = (wa || da) ? b : a;
        return Fehler("unbekannter Tag", falsch.isEmpty() ? wort : falsch);
    }
    if (const auto w = Wochentagnummer(wort)) {
        tage.push_back({ TTagAngabe::Wochentage, *w, *w });
        return std::nullopt;
    }
    if (wort == QLatin1String("holiday")) {
        tage.push_back({ TTagAngabe::Feiertag, 0, 0 });
        return std::nullopt;
    }
    static const QRegularExpression ostern(QStringLiteral("^easter\\s*(?:([+-])\\s*(\\d{1,3}))?$"));
    if (const auto m = ostern.match(wort); m.hasMatch()) {
        const int n = m.captured(2).toInt();
        tage.push_back({ TTagAngabe::Ostern, m.captured(1) == QLatin1String("-") ? -n : n, 0 });
        return std::nullopt;
    }
    QString fehler;
    if (const auto d = Datum(wort, fehler)) {
        tage.push_back({ TTagAngabe::Daten, *d, *d });
        return std::nullopt;
    }
    return fehler.isEmpty() ? Fehler("unbekannter Tag", wort) : fehler;
}

QString TagText(const TTagAngabe& a)
{
    const auto datum = [](int md) {
        return QStringLiteral("%1/%2")
            .arg(md / 100, 2, 10, QLatin1Char('0'))
            .arg(md % 100, 2, 10, QLatin1Char('0'));
    };
    switch (a.art) {
    case TTagAngabe::Wochentage:
        return a.Von == a.Bis ? QLatin1String(Wochentagnamen[a.Von - 1])
                              : QLatin1String(Wochentagnamen[a.Von - 1]) + QStringLiteral("..")
                + QLatin1String(Wochentagnamen[a.Bis - 1]);
    case TTagAngabe::Daten:
        return a.Von == a.Bis ? datum(a.Von) : datum(a.Von) + QStringLiteral("..") + datum(a.Bis);
    case TTagAngabe::Ostern:
        return a.Von == 0 ? QStringLiteral("easter")
                          : QStringLiteral("easter") + (a.Von > 0 ? QLatin1Char('+') : QLatin1Char('-'))
                + QString::number(std::abs(a.Von));
    case TTagAngabe::Feiertag:
        return QStringLiteral("holiday");
    }
    return {};
}

// "(a,b)" or "(a,b,c)" into its parts.
std::optional<QStringList> Klammer(const QString& text, int mindestens, int hoechstens)
{
    const QString t = text.trimmed();
    if (!t.startsWith(QLatin1Char('(')) || !t.endsWith(QLatin1Char(')')))
        return std::nullopt;
    QStringList teile = t.mid(1, t.size() - 2).split(QLatin1Char(','));
    for (QString& teil : teile)
        teil = teil.trimmed();
    if (teile.size() < mindestens || teile.size() > hoechstens)
        return std::nullopt;
    return teile;
}

std::optional<QString> LiesPreisUndEinheit(const QStringList& teile, double& preis, int64_t& einheit)
{
    if (auto f = LiesPreis(teile[0], preis))
        return f;
    return LiesSekunden(teile[1], true, einheit);
}

std::optional<QString> LiesZeitfenster(const QString& text, int32_t& von, int32_t& bisEnde)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        von = 0;
        bisEnde = int32_t(MSecsPerDay);
        return std::nullopt;
    }
    const qsizetype punkte = t.indexOf(QLatin1String(".."));
    if (punkte < 0)
        return Fehler("ungültige Zeitspanne", t);
    if (auto f = LiesUhrzeit(t.left(punkte), false, von))
        return f;
    return LiesUhrzeit(t.mid(punkte + 2), true, bisEnde);
}

std::optional<QString> LiesOnZeile(const QString& zeile, TZeitregel& regel)
{
    static const QRegularExpression muster(
        QStringLiteral("^on\\s*\\(([^)]*)\\)\\s*between\\s*\\(([^)]*)\\)\\s*use\\s*(\\([^)]*\\))$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = muster.match(zeile);
    if (!m.hasMatch())
        return QStringLiteral("erwartet wird on (Tage) between (von..bis) use (Preis,Sekunden)");
    if (auto f = LiesTage(m.captured(1), regel.Tage))
        return f;
    if (auto f = LiesZeitfenster(m.captured(2), regel.Von, regel.BisEnde))
        return f;
    const auto teile = Klammer(m.captured(3), 2, 3);
    if (!teile)
        return Fehler(
            "erwartet wird (Preis,Sekunden) oder (Preis,Sekunden,ab Sekunde), nicht", m.captured(3));
    if (auto f = LiesPreisUndEinheit(*teile, regel.PreisPf, regel.EinheitMs))
        return f;
    if (teile->size() == 3)
        return LiesSekunden(teile->at(2), false, regel.AbMs);
    return std::nullopt;
}

struct TLeser {
    TTarifregeln regeln;
    QStringList warnungen;
    bool standard = false;

    std::optional<QString> Angabe(const QString& schluessel, const QString& wert)
    {
        if (schluessel == QLatin1String("name")) {
            regeln.Name = wert;
        }
        else if (schluessel == QLatin1String("currency_symbol")) {
            if (WaehrungAusKennung(wert) != Waehrung && Normal(wert) != QLatin1String("dem"))
                warnungen << QStringLiteral(
                    "Die Preise sind in '%1' angegeben; Kostenwolf rechnet sie als %2.")
                                 .arg(wert, WaehrungsName());
        }
        else if (schluessel == QLatin1String("currency_position")) {
            const QString w = Normal(wert);
            if (w != QLatin1String("left") && w != QLatin1String("right"))
                return Fehler("erwartet wird left oder right, nicht", wert);
        }
        else if (schluessel == QLatin1String("currency_digits")) {
            bool ok = false;
            const int n = wert.toInt(&ok);
            if (!ok || n < 0 || n > 4)
                return Fehler("ungültige Stellenzahl", wert);
        }
        else if (schluessel == QLatin1String("per_connection")) {
            return LiesPreis(wert, regeln.ProVerbindungPf);
        }
        else if (schluessel == QLatin1String("minimum_costs")) {
            return LiesPreis(wert, regeln.MindestPf);
        }
        else if (schluessel == QLatin1String("flat_init_costs") || schluessel == QLatin1String("default")) {
            const auto teile = Klammer(wert, 2, 2);
            if (!teile)
                return Fehler("erwartet wird (Preis,Sekunden), nicht", wert);
            if (schluessel == QLatin1String("default")) {
                standard = true;
                return LiesPreisUndEinheit(*teile, regeln.StandardPf, regeln.StandardEinheitMs);
            }
            return LiesPreisUndEinheit(*teile, regeln.ErsterBlockPf, regeln.ErsterBlockMs);
        }
        else if (schluessel == QLatin1String("per_volume")) {
            const auto teile = Klammer(wert, 2, 2);
            if (!teile)
                return Fehler("erwartet wird (Preis,Bytes), nicht", wert);
            if (auto f = LiesPreis(teile->at(0), regeln.Volumen.PreisPf))
                return f;
            return LiesVolumen(teile->at(1), true, regeln.Volumen.Block);
        }
        else if (schluessel == QLatin1String("included_volume")) {
            return LiesVolumen(wert, false, regeln.Volumen.Inklusiv);
        }
        else {
            return Fehler("unbekannte Angabe", schluessel);
        }
        return std::nullopt;
    }
};

} // namespace

// ---- Parts ----

std::optional<QString> LiesTage(const QString& text, std::vector<TTagAngabe>& tage)
{
    tage.clear();
    if (text.trimmed().isEmpty())
        return std::nullopt;
    for (const QString& teil : text.split(QLatin1Char(',')))
        if (auto f = LiesTag(teil, tage))
            return f;
    return std::nullopt;
}

std::optional<QString> LiesUhrzeit(const QString& text, bool ende, int32_t& ms)
{
    static const QRegularExpression muster(QStringLiteral("^(\\d{1,2}):(\\d{2})$"));
    const QRegularExpressionMatch m = muster.match(text.trimmed());
    const int h = m.captured(1).toInt(), min = m.captured(2).toInt();
    if (!m.hasMatch() || h > 23 || min > 59)
        return Fehler("ungültige Uhrzeit", text.trimmed());
    ms = int32_t((h * 60 + min + (ende ? 1 : 0)) * MinuteMs);
    return std::nullopt;
}

std::optional<QString> LiesPreis(const QString& text, double& pfennig)
{
    QString ganz, bruch;
    bool ok = Dezimal(text, ganz, bruch);
    const double wert = ok ? Verschoben(ganz, bruch, 2).toDouble(&ok) : 0;
    if (!ok || !(wert <= HoechsterPreisPf))
        return Fehler("ungültiger Preis", text.trimmed());
    pfennig = wert;
    return std::nullopt;
}

std::optional<QString> LiesSekunden(const QString& text, bool positiv, int64_t& ms)
{
    QString ganz, bruch;
    bool ok = Dezimal(text, ganz, bruch) && bruch.size() <= 3 && ganz.size() <= 9;
    const int64_t wert = ok ? std::llround(Verschoben(ganz, bruch, 3).toDouble(&ok)) : 0;
    if (!ok || wert > HoechsteSekundenMs)
        return Fehler("ungültige Sekundenzahl", text.trimmed());
    if (positiv && wert <= 0)
        return Fehler("eine Einheit muss länger als 0 Sekunden sein, nicht", text.trimmed());
    ms = wert;
    return std::nullopt;
}

QString TageText(const std::vector<TTagAngabe>& tage)
{
    QStringList teile;
    for (const TTagAngabe& a : tage)
        teile << TagText(a);
    return teile.join(QLatin1Char(','));
}

QString UhrzeitText(int32_t ms, bool ende)
{
    const int64_t minute = (ms / MinuteMs - (ende ? 1 : 0) + 1440) % 1440;
    return QStringLiteral("%1:%2")
        .arg(minute / 60, 2, 10, QLatin1Char('0'))
        .arg(minute % 60, 2, 10, QLatin1Char('0'));
}

QString RegelPreisText(double pfennig)
{
    return Zurueckverschoben(pfennig, 2);
}

QString SekundenText(int64_t ms)
{
    return Zurueckverschoben(double(ms), 3);
}

// ---- Whole file ----

TTarifregeln MinutenRegeln(double preisPf, double einwahlPf)
{
    TTarifregeln r;
    r.StandardPf = preisPf;
    r.StandardEinheitMs = MinuteMs;
    r.ProVerbindungPf = einwahlPf;
    return r;
}

TRegelnGelesen LiesTarifregeln(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return LiesTarifregeln(text);
}

TRegelnGelesen LiesTarifregeln(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (t.startsWith(QChar(0xFEFF)))
        t.remove(0, 1);

    TRegelnGelesen ergebnis;
    TLeser leser;
    const QStringList zeilen = t.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < zeilen.size(); ++i) {
        QString zeile = zeilen[i];
        if (const qsizetype raute = zeile.indexOf(QLatin1Char('#')); raute >= 0)
            zeile.truncate(raute);
        zeile = zeile.trimmed();
        if (zeile.isEmpty())
            continue;
        std::optional<QString> fehler;
        static const QRegularExpression on(
            QStringLiteral("^on[\\s(]"), QRegularExpression::CaseInsensitiveOption);
        if (on.match(zeile).hasMatch()) {
            TZeitregel regel;
            fehler = LiesOnZeile(zeile, regel);
            if (!fehler)
                leser.regeln.Regeln.push_back(std::move(regel));
        }
        else if (const qsizetype gleich = zeile.indexOf(QLatin1Char('=')); gleich > 0) {
            fehler = leser.Angabe(Normal(zeile.left(gleich)), zeile.mid(gleich + 1).trimmed());
        }
        else {
            fehler = Fehler("unverständliche Zeile", zeile);
        }
        if (fehler) {
            ergebnis.Fehler = QStringLiteral("Zeile %1: %2").arg(i + 1).arg(*fehler);
            return ergebnis;
        }
    }
    if (!leser.standard) {
        ergebnis.Fehler = QStringLiteral("Es fehlt die Zeile default=(Preis,Sekunden).");
        return ergebnis;
    }
    ergebnis.Regeln = std::move(leser.regeln);
    ergebnis.Warnungen = leser.warnungen;
    return ergebnis;
}

QByteArray SchreibeTarifregeln(const TTarifregeln& r)
{
    QString name = r.Name;
    name.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    name.replace(QLatin1Char('#'), QLatin1Char(' '));
    QString t;
    const auto paar = [](double pf, int64_t ms) {
        return QLatin1Char('(') + RegelPreisText(pf) + QLatin1Char(',') + SekundenText(ms) + QLatin1Char(')');
    };
    t += QStringLiteral("name=") + name.trimmed() + QLatin1Char('\n');
    t += QStringLiteral("currency_symbol=") + WaehrungsKennung(Waehrung)
        + QStringLiteral("\ncurrency_position=right\ncurrency_digits=2\n");
    if (r.ProVerbindungPf != 0)
        t += QStringLiteral("per_connection=") + RegelPreisText(r.ProVerbindungPf) + QLatin1Char('\n');
    if (r.MindestPf != 0)
        t += QStringLiteral("minimum_costs=") + RegelPreisText(r.MindestPf) + QLatin1Char('\n');
    if (r.ErsterBlockMs > 0)
        t += QStringLiteral("flat_init_costs=") + paar(r.ErsterBlockPf, r.ErsterBlockMs) + QLatin1Char('\n');
    t += QStringLiteral("default=") + paar(r.StandardPf, r.StandardEinheitMs) + QLatin1Char('\n');
    if (r.Volumen.Block > 0)
        t += QStringLiteral("per_volume=(%1,%2)\n")
                 .arg(RegelPreisText(r.Volumen.PreisPf), QString::number(r.Volumen.Block));
    if (r.Volumen.Inklusiv > 0)
        t += QStringLiteral("included_volume=%1\n").arg(QString::number(r.Volumen.Inklusiv));
    for (const TZeitregel& regel : r.Regeln) {
        QString use = paar(regel.PreisPf, regel.EinheitMs);
        if (regel.AbMs > 0)
            use.insert(use.size() - 1, QLatin1Char(',') + SekundenText(regel.AbMs));
        const bool ganzerTag = regel.Von == 0 && regel.BisEnde == MSecsPerDay;
        const QString zeit = ganzerTag
            ? QString()
            : UhrzeitText(regel.Von, false) + QStringLiteral("..") + UhrzeitText(regel.BisEnde, true);
        t += QStringLiteral("on (%1) between (%2) use %3\n").arg(TageText(regel.Tage), zeit, use);
    }
    return t.toUtf8();
}

// ---- Calendar ----

int64_t OsterTag(int jahr)
{
    // The Gregorian computus (Meeus/Jones/Butcher).
    const int a = jahr % 19, b = jahr / 100, c = jahr % 100, d = b / 4, e = b % 4;
    const int f = (b + 8) / 25, g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int monat = (h + l - 7 * m + 114) / 31, tag = (h + l - 7 * m + 114) % 31 + 1;
    return Tagnummer(jahr, monat, tag);
}

bool IstFeiertag(int jahr, int monat, int tag)
{
    const int md = monat * 100 + tag;
    if (md == 101 || md == 501 || md == 1003 || md == 1225 || md == 1226)
        return true;
    const int64_t abstand = Tagnummer(jahr, monat, tag) - OsterTag(jahr);
    // Good Friday, Easter Monday, Ascension, Whit Monday.
    return abstand == -2 || abstand == 1 || abstand == 39 || abstand == 50;
}

// ---- Pricing ----

TTarifLauf::TTarifLauf(const TTarifregeln& r, TDateTime beginn)
    : regeln(r)
    , beginnUtcMs(UtcAusOrtszeit(beginn))
{
    kanten.push_back(int32_t(MSecsPerDay));
    for (const TZeitregel& regel : regeln.Regeln) {
        kanten.push_back(regel.Von);
        kanten.push_back(regel.BisEnde);
    }
    std::sort(kanten.begin(), kanten.end());
    kanten.erase(std::unique(kanten.begin(), kanten.end()), kanten.end());
    Zuruecksetzen();
}

void TTarifLauf::Zuruecksetzen()
{
    naechsteEinheit = regeln.ErsterBlockMs;
    abschnitt = {};
    abschnitt.BisMs = -1;
    summeFrueher = 0;
    laufPreis = 0;
    laufAnzahl = 0;
    letzteGanz = 0;
}

TTarifLauf::TAbschnitt TTarifLauf::AbschnittBei(int64_t ms) const
{
    TAbschnitt a;
    if (regeln.Regeln.empty()) {
        a.BisMs = Nie;
        return a;
    }
    const TOrt ort = OrtBei(beginnUtcMs + ms);
    const TTag heute = TagAus(ort.Tag);
    for (int i = int(regeln.Regeln.size()) - 1; i >= 0; --i)
        if (RegelPasst(regeln.Regeln[size_t(i)], heute, ort.TagesMs, ms)) {
            a.Regel = i;
            break;
        }

    // Up to the next time of day where a rule begins or ends (midnight included) ...
    const int32_t kante = *std::upper_bound(kanten.begin(), kanten.end(), ort.TagesMs);
    int64_t bis = ms + (kante - ort.TagesMs);
    // ... or where the clock changes to or from summer time before that ...
    if (OrtBei(beginnUtcMs + bis).Versatz != ort.Versatz) {
        int64_t gleich = ms, anders = bis;
        while (anders - gleich > 1) {
            const int64_t mitte = gleich + (anders - gleich) / 2;
            (OrtBei(beginnUtcMs + mitte).Versatz == ort.Versatz ? gleich : anders) = mitte;
        }
        bis = anders;
    }
    // ... or where a rule for longer connections begins.
    for (const TZeitregel& regel : regeln.Regeln)
        if (regel.AbMs > ms)
            bis = std::min(bis, regel.AbMs);
    a.BisMs = bis;
    return a;
}

TTarifStand TTarifLauf::Stand(int64_t dauerMs)
{
    // Milliseconds do not start a unit: only whole seconds of the connection count.
    const int64_t ganz = std::max<int64_t>(0, dauerMs) / 1000 * 1000;
    if (ganz < letzteGanz)
        Zuruecksetzen();
    letzteGanz = ganz;
    while (naechsteEinheit < ganz) {
        if (naechsteEinheit >= abschnitt.BisMs)
            abschnitt = AbschnittBei(naechsteEinheit);
        const bool standard = abschnitt.Regel < 0;
        const TZeitregel* regel = standard ? nullptr : &regeln.Regeln[size_t(abschnitt.Regel)];
        const double preis = standard ? regeln.StandardPf : regel->PreisPf;
        const int64_t einheit = standard ? regeln.StandardEinheitMs : regel->EinheitMs;
        const int64_t bis = std::min(ganz, abschnitt.BisMs);
        const int64_t anzahl = (bis - naechsteEinheit + einheit - 1) / einheit;
        if (laufAnzahl == 0 || preis != laufPreis) {
            summeFrueher += static_cast<long double>(laufAnzahl) * laufPreis;
            laufPreis = preis;
            laufAnzahl = 0;
        }
        laufAnzahl += anzahl;
        naechsteEinheit += anzahl * einheit;
    }

    const long double einheiten = summeFrueher + static_cast<long double>(laufAnzahl) * laufPreis;
    long double pfennig = static_cast<long double>(Runde(einheiten)) + regeln.ProVerbindungPf;
    if (regeln.ErsterBlockMs > 0)
        pfennig += regeln.ErsterBlockPf;
    if (regeln.MindestPf > 0 && pfennig < regeln.MindestPf)
        pfennig = regeln.MindestPf;
    TTarifStand stand;
    stand.Kosten = static_cast<double>(pfennig * 0.01L);
    stand.BezahltBisMs = naechsteEinheit;
    return stand;
}

std::optional<TPreisWechsel> TTarifLauf::NaechsterWechsel(int64_t dauerMs, int64_t horizontMs)
{
    TWechselCache& c = wechselCache;
    if (!(dauerMs >= c.AbMs && dauerMs < c.GueltigBis && c.Bis - dauerMs >= horizontMs)) {
        const auto preisBei = [this](const TAbschnitt& a) {
            return a.Regel < 0 ? TPreisWechsel { 0, regeln.StandardPf, regeln.StandardEinheitMs }
                               : TPreisWechsel { 0, regeln.Regeln[size_t(a.Regel)].PreisPf,
                                     regeln.Regeln[size_t(a.Regel)].EinheitMs };
        };
        const TAbschnitt jetzt = AbschnittBei(dauerMs);
        const TPreisWechsel jetzigerPreis = preisBei(jetzt);
        // Searching twice the horizon lets the answer serve the ticks of the next horizon.
        c = {};
        c.AbMs = dauerMs;
        c.Bis = dauerMs + 2 * horizontMs;
        c.GueltigBis = std::min(jetzt.BisMs, dauerMs + horizontMs);
        for (int64_t t = jetzt.BisMs; t <= c.Bis;) {
            const TAbschnitt a = AbschnittBei(t);
            TPreisWechsel p = preisBei(a);
            if (p.PreisPf != jetzigerPreis.PreisPf || p.EinheitMs != jetzigerPreis.EinheitMs) {
                p.AbMs = t;
                c.Wechsel = p;
                break;
            }
            t = a.BisMs;
        }
    }
    if (c.Wechsel && c.Wechsel->AbMs - dauerMs <= horizontMs)
        return c.Wechsel;
    return std::nullopt;
}

TDateTime TTarifLauf::Ortszeit(int64_t dauerMs) const
{
    const TOrt ort = OrtBei(beginnUtcMs + dauerMs);
    return double(ort.Tag) + double(ort.TagesMs) / double(MSecsPerDay);
}

double Regelpreis(const TTarifregeln& regeln, TDateTime beginn, int64_t dauerMs)
{
    return TTarifLauf(regeln, beginn).Stand(dauerMs).Kosten;
}

double Regelpreis(const TTarifregeln& regeln, TDateTime beginn, int64_t dauerMs,
    const std::optional<TBytestand>& bytes, std::uint64_t monatVorher)
{
    return Regelpreis(regeln, beginn, dauerMs) + VolumenAnteil(regeln.Volumen, monatVorher, bytes);
}

QString PreisJeEinheitText(double preisPf, int64_t einheitMs)
{
    return MitWaehrung(FloatToStr(preisPf / 100.0)) + QStringLiteral(" je ")
        + FloatToStr(double(einheitMs) / 1000.0) + QStringLiteral(" s");
}
