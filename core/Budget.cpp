#include "core/Budget.h"

#include "runtime/Format.h"
#include "runtime/Waehrung.h"
#include "store/Dateien.h"
#include "store/Daten.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

// Money to whole Pfennig as an integer, so that levels compare exactly.
int64_t Pfennig(double betrag)
{
    if (!std::isfinite(betrag))
        return 0;
    return std::llround(static_cast<long double>(betrag) * 100);
}

QString Gruppe(int u)
{
    return QStringLiteral("Budget%1").arg(u);
}

// A list written by QSettings comes back as a string list, a single value as a string.
QString Wert(const QVariant& wert)
{
    if (wert.typeId() == QMetaType::QStringList)
        return wert.toStringList().join(QLatin1Char(','));
    return wert.toString();
}

QStringList AlsListe(const QList<int>& zahlen)
{
    QStringList liste;
    for (const int z : zahlen)
        liste << QString::number(z);
    return liste;
}

std::optional<double> LiesBetrag(const QString& text)
{
    bool ok = false;
    const double wert = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(wert) || wert < 0 || wert >= 1e9)
        return std::nullopt;
    return wert;
}

bool GueltigerMonatsSchluessel(const QString& text)
{
    static const QRegularExpression muster(QStringLiteral("^\\d{4}-(0[1-9]|1[0-2])$"));
    return muster.match(text).hasMatch();
}

} // namespace

QString MonatsSchluessel(TDateTime datum)
{
    int jahr, monat, tag;
    DecodeDate(datum, jahr, monat, tag);
    return QStringLiteral("%1-%2").arg(jahr, 4, 10, QLatin1Char('0')).arg(monat, 2, 10, QLatin1Char('0'));
}

QString ZweiStellen(double betrag)
{
    QString text = FestBetrag(betrag);
    text.replace(QLatin1Char('.'), FormatSettings.DecimalSeparator);
    return text;
}

int BudgetProzent(double betrag, double budget)
{
    const int64_t grenze = Pfennig(budget);
    if (grenze <= 0)
        return 0;
    const int64_t stand = std::max<int64_t>(0, Pfennig(betrag));
    return int(std::min<int64_t>(stand * 100 / grenze, 1'000'000));
}

bool StufeErreicht(double betrag, double budget, int stufe)
{
    const int64_t grenze = Pfennig(budget);
    return grenze > 0 && Pfennig(betrag) * 100 >= grenze * stufe;
}

QString BudgetWarnText(int stufe, double betrag, double budget)
{
    const QString stand
        = QStringLiteral(" (%1 von %2)").arg(ZweiStellen(betrag), MitWaehrung(ZweiStellen(budget)));
    if (stufe >= 100)
        return QStringLiteral("Kostenwolf: Monatsbudget überschritten") + stand;
    return QStringLiteral("Kostenwolf: %1 % des Monatsbudgets erreicht").arg(stufe) + stand;
}

QString BudgetHinweis(double betrag, const TBudget& budget)
{
    if (!budget.Gesetzt())
        return {};
    return QStringLiteral(" (Budget: %1 %)").arg(BudgetProzent(betrag, budget.Betrag));
}

std::optional<QList<int>> LiesWarnstufen(const QString& text)
{
    static const QRegularExpression trenner(QStringLiteral("[,;\\s]+"));
    const QStringList teile = text.split(trenner, Qt::SkipEmptyParts);
    QList<int> stufen;
    for (const QString& teil : teile) {
        bool ok = false;
        const int stufe = teil.toInt(&ok);
        if (!ok || stufe < 1 || stufe > MaxWarnstufe)
            return std::nullopt;
        stufen << stufe;
    }
    if (stufen.isEmpty())
        return std::nullopt;
    std::sort(stufen.begin(), stufen.end());
    stufen.erase(std::unique(stufen.begin(), stufen.end()), stufen.end());
    return stufen;
}

QString WarnstufenText(const QList<int>& stufen)
{
    return AlsListe(stufen).join(QStringLiteral(", "));
}

TBudgets::TLadeZustand TBudgets::Lade(const QString& datei)
{
    pfad = datei;
    meldung.clear();
    gesperrt = false;
    eintraege = {};

    const QFileInfo info(pfad);
    if (!info.exists())
        return TLadeZustand::Fehlt;
    const QString ganzKaputt
        = QStringLiteral("Die Einstellungsdatei \"%1\" ist beschädigt oder nicht lesbar. "
                         "Es gelten keine Monatsbudgets, und die Datei bleibt, wie sie ist.")
              .arg(pfad);
    QSettings ini(pfad, QSettings::IniFormat);
    if (!info.isFile() || !info.isReadable() || ini.status() != QSettings::NoError) {
        gesperrt = true;
        meldung = ganzKaputt;
        return TLadeZustand::Beschaedigt;
    }

    QStringList kaputt;
    for (int u = 1; u <= MaxBenutzer; ++u) {
        ini.beginGroup(Gruppe(u));
        const bool vorhanden = !ini.childKeys().isEmpty();
        if (vorhanden) {
            TEintrag e;
            e.Name = Wert(ini.value(QStringLiteral("Name")));
            const std::optional<double> betrag = LiesBetrag(Wert(ini.value(QStringLiteral("Monatsbudget"))));
            const QString stufenText = Wert(ini.value(QStringLiteral("Warnstufen")));
            const auto stufen
                = stufenText.isEmpty() ? std::optional(StandardWarnstufen) : LiesWarnstufen(stufenText);
            e.GewarntMonat = Wert(ini.value(QStringLiteral("GewarntMonat")));
            const QString gewarntText = Wert(ini.value(QStringLiteral("Gewarnt")));
            const auto gewarnt
                = gewarntText.isEmpty() ? std::optional(QList<int>()) : LiesWarnstufen(gewarntText);
            const bool monatOk = e.GewarntMonat.isEmpty() || GueltigerMonatsSchluessel(e.GewarntMonat);
            if (betrag && stufen && gewarnt && monatOk) {
                e.Budget.Betrag = *betrag;
                e.Budget.Warnstufen = *stufen;
                e.Gewarnt = *gewarnt;
                Platz(u) = e;
            }
            else {
                kaputt << (e.Name.isEmpty() ? QStringLiteral("Benutzer %1").arg(u) : e.Name);
            }
        }
        ini.endGroup();
    }
    if (!kaputt.isEmpty()) {
        meldung = QStringLiteral("In der Einstellungsdatei \"%1\" ist das Monatsbudget von %2 beschädigt; "
                                 "es gilt nicht, bis es neu eingetragen wird.")
                      .arg(pfad, kaputt.join(QStringLiteral(", ")));
        return TLadeZustand::Beschaedigt;
    }
    return TLadeZustand::Geladen;
}

const TBudgets::TEintrag* TBudgets::Eintrag(int u) const
{
    if (u < 1 || u > MaxBenutzer || u > Daten.BenutzerAnzahl || !Platz(u))
        return nullptr;
    if (Platz(u)->Name != Daten.Benutzer[u].Name.Text())
        return nullptr;
    return &*Platz(u);
}

TBudget TBudgets::Budget(int u) const
{
    const TEintrag* e = Eintrag(u);
    return e ? e->Budget : TBudget { 0, StandardWarnstufen };
}

QString TBudgets::SetzeBudget(int u, const TBudget& budget)
{
    if (u < 1 || u > MaxBenutzer)
        return QStringLiteral("Kein Benutzer an Position %1.").arg(u);
    // Refused as a whole: a budget that held for this run only would look saved.
    if (gesperrt)
        return Schreibe(u, u);
    if (!budget.Gesetzt()) {
        if (!Platz(u))
            return {};
        Platz(u).reset();
        return Schreibe(u, u);
    }
    const QString name = Daten.Benutzer[u].Name.Text();
    const TEintrag* alt = Eintrag(u);
    if (alt && alt->Budget.Betrag == budget.Betrag && alt->Budget.Warnstufen == budget.Warnstufen)
        return {};
    // A new limit or new levels warn afresh.
    Platz(u) = TEintrag { name, budget, {}, {} };
    return Schreibe(u, u);
}

void TBudgets::BenutzerEntfernt(int u, int anzahlVorher)
{
    if (u < 1 || u > MaxBenutzer)
        return;
    anzahlVorher = std::min(anzahlVorher, MaxBenutzer);
    bool geaendert = false;
    for (int i = u; i <= anzahlVorher; ++i) {
        geaendert = geaendert || Platz(i).has_value();
        if (i < anzahlVorher)
            Platz(i) = Platz(i + 1);
        else
            Platz(i).reset();
    }
    if (geaendert)
        Schreibe(u, anzahlVorher);
}

void TBudgets::BenutzerAngelegt(int u)
{
    if (u >= 1 && u <= MaxBenutzer && Platz(u)) {
        Platz(u).reset();
        Schreibe(u, u);
    }
}

std::optional<QString> TBudgets::Pruefe(int u, double betrag, TDateTime jetzt)
{
    const TEintrag* e = Eintrag(u);
    if (!e || !e->Budget.Gesetzt())
        return std::nullopt;
    const QString monat = MonatsSchluessel(jetzt);
    QList<int> gewarnt = e->GewarntMonat == monat ? e->Gewarnt : QList<int>();
    int hoechste = 0;
    for (const int stufe : e->Budget.Warnstufen)
        if (StufeErreicht(betrag, e->Budget.Betrag, stufe) && !gewarnt.contains(stufe)) {
            gewarnt << stufe;
            hoechste = std::max(hoechste, stufe);
        }
    if (hoechste == 0)
        return std::nullopt;
    std::sort(gewarnt.begin(), gewarnt.end());
    Platz(u)->GewarntMonat = monat;
    Platz(u)->Gewarnt = gewarnt;
    // Should the file refuse it, the memory still keeps this run from warning twice.
    Schreibe(u, u);
    return BudgetWarnText(hoechste, betrag, e->Budget.Betrag);
}

void TBudgets::NeuerMonat(int u)
{
    if (u < 1 || u > MaxBenutzer || !Platz(u) || Platz(u)->Gewarnt.isEmpty())
        return;
    Platz(u)->Gewarnt.clear();
    Platz(u)->GewarntMonat.clear();
    Schreibe(u, u);
}

QString TBudgets::Schreibe(int von, int bis)
{
    if (pfad.isEmpty())
        return QStringLiteral("Es ist keine Einstellungsdatei bestimmt.");
    if (gesperrt)
        return QStringLiteral("Die Einstellungsdatei \"%1\" ist beschädigt und wird nicht überschrieben.")
            .arg(pfad);
    QSettings ini(pfad, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        return QStringLiteral("Die Einstellungsdatei \"%1\" ist nicht lesbar.").arg(pfad);
    for (int u = von; u <= bis; ++u) {
        ini.remove(Gruppe(u));
        if (!Platz(u))
            continue;
        const TEintrag& e = *Platz(u);
        ini.beginGroup(Gruppe(u));
        ini.setValue(QStringLiteral("Name"), e.Name);
        ini.setValue(QStringLiteral("Monatsbudget"), QString::number(e.Budget.Betrag, 'f', 2));
        ini.setValue(QStringLiteral("Warnstufen"), AlsListe(e.Budget.Warnstufen));
        if (!e.Gewarnt.isEmpty()) {
            ini.setValue(QStringLiteral("GewarntMonat"), e.GewarntMonat);
            ini.setValue(QStringLiteral("Gewarnt"), AlsListe(e.Gewarnt));
        }
        ini.endGroup();
    }
    ini.sync();
    if (ini.status() != QSettings::NoError)
        return QStringLiteral("Die Einstellungsdatei \"%1\" konnte nicht geschrieben werden.").arg(pfad);
    return {};
}

namespace {

TBudgets& Instanz()
{
    static TBudgets budgets;
    return budgets;
}

QString BudgetPfad()
{
    return DatenVerzeichnis() + QLatin1Char('/') + BudgetDateiName;
}

} // namespace

TBudgets& Budgets()
{
    const QString pfad = BudgetPfad();
    if (Instanz().Pfad() != pfad)
        Instanz().Lade(pfad);
    return Instanz();
}

QString LadeBudgets()
{
    Instanz().Lade(BudgetPfad());
    return Instanz().LadeMeldung();
}
