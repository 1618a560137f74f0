#include "core/Budget.h"

#include "platform/posix/Dateien.h"
#include "runtime/Format.h"
#include "runtime/Waehrung.h"
#include "store/Daten.h"
#include "store/Datenverzeichnis.h"
#include "store/Einstellungsdatei.h"
#include "store/Waehrungseinstellung.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <utility>

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

const QString NameSchluessel = QStringLiteral("Name");
const QString BetragSchluessel = QStringLiteral("Monatsbudget");
const QString StufenSchluessel = QStringLiteral("Warnstufen");
const QString MonatSchluessel = QStringLiteral("GewarntMonat");
const QString GewarntSchluessel = QStringLiteral("Gewarnt");

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
    offeneMeldung.clear();
    gesperrt = false;
    gemeldet = false;
    eintraege = {};

    const TEinstellungsStand stand = LiesEinstellungen(pfad);
    if (stand.art == TEinstellungsStand::Fehlt)
        return TLadeZustand::Fehlt;
    if (stand.art != TEinstellungsStand::Gelesen) {
        gesperrt = gemeldet = true;
        meldung = QStringLiteral("Die Einstellungsdatei \"%1\" ist beschädigt oder nicht lesbar (%2). "
                                 "Es gelten keine Monatsbudgets, und die Datei bleibt, wie sie ist.")
                      .arg(pfad, stand.Grund);
        return TLadeZustand::Beschaedigt;
    }
    const QStringList kaputt = Uebernimm(stand.Inhalt);
    if (!kaputt.isEmpty()) {
        meldung = QStringLiteral("In der Einstellungsdatei \"%1\" ist das Monatsbudget von %2 beschädigt; "
                                 "es gilt nicht, bis es neu eingetragen wird.")
                      .arg(pfad, kaputt.join(QStringLiteral(", ")));
        return TLadeZustand::Beschaedigt;
    }
    return TLadeZustand::Geladen;
}

std::optional<TBudgets::TEintrag> TBudgets::LiesEintrag(const TIniText& ini, int u)
{
    const QString gruppe = Gruppe(u);
    if (ini.Schluessel(gruppe).isEmpty())
        return std::nullopt;
    const auto wert
        = [&](const QString& schluessel) { return ini.Wert(gruppe, schluessel).value_or(QString()); };
    TEintrag e;
    e.Name = wert(NameSchluessel);
    const std::optional<double> betrag = LiesBetrag(wert(BetragSchluessel));
    const QString stufenText = wert(StufenSchluessel);
    const auto stufen = stufenText.isEmpty() ? std::optional(StandardWarnstufen) : LiesWarnstufen(stufenText);
    e.GewarntMonat = wert(MonatSchluessel);
    const QString gewarntText = wert(GewarntSchluessel);
    const auto gewarnt = gewarntText.isEmpty() ? std::optional(QList<int>()) : LiesWarnstufen(gewarntText);
    const bool monatOk = e.GewarntMonat.isEmpty() || GueltigerMonatsSchluessel(e.GewarntMonat);
    if (!betrag || !stufen || !gewarnt || !monatOk) {
        if (e.Name.isEmpty())
            e.Name = QStringLiteral("Benutzer %1").arg(u);
        return e; // damaged: only its name is of use, to say whose budget it was
    }
    e.Budget.Betrag = *betrag;
    e.Budget.Warnstufen = *stufen;
    e.Gewarnt = *gewarnt;
    e.Gueltig = true;
    return e;
}

QStringList TBudgets::Uebernimm(const TIniText& ini)
{
    eintraege = {};
    QStringList kaputt;
    for (int u = 1; u <= MaxBenutzer; ++u) {
        std::optional<TEintrag> e = LiesEintrag(ini, u);
        if (e && e->Gueltig)
            Platz(u) = std::move(e);
        else if (e)
            kaputt << e->Name;
    }
    return kaputt;
}

QList<QPair<QString, QString>> TBudgets::Felder(const TEintrag& e)
{
    QList<QPair<QString, QString>> felder { { NameSchluessel, e.Name },
        { BetragSchluessel, QString::number(e.Budget.Betrag, 'f', 2) },
        { StufenSchluessel, AlsListe(e.Budget.Warnstufen).join(QStringLiteral(", ")) } };
    if (!e.Gewarnt.isEmpty())
        felder << QPair { MonatSchluessel, e.GewarntMonat }
               << QPair { GewarntSchluessel, AlsListe(e.Gewarnt).join(QStringLiteral(", ")) };
    return felder;
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

TErgebnis TBudgets::SetzeBudget(int u, const TBudget& budget)
{
    if (u < 1 || u > MaxBenutzer)
        return { QStringLiteral("Kein Benutzer an Position %1.").arg(u) };
    // Refused as a whole: a budget that held for this run only would look saved.
    if (gesperrt)
        return Schreibe(u, u, TSchreibart::Ganz);
    if (!budget.Gesetzt()) {
        if (!Platz(u))
            return {};
        Platz(u).reset();
        return Schreibe(u, u, TSchreibart::Ganz);
    }
    const QString name = Daten.Benutzer[u].Name.Text();
    const TEintrag* alt = Eintrag(u);
    if (alt && alt->Budget.Betrag == budget.Betrag && alt->Budget.Warnstufen == budget.Warnstufen)
        return {};
    // A new limit or new levels warn afresh.
    Platz(u) = TEintrag { name, budget, {}, {}, true };
    return Schreibe(u, u, TSchreibart::Ganz);
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
        Vermerke(Schreibe(u, anzahlVorher, TSchreibart::Ganz));
}

void TBudgets::BenutzerAngelegt(int u)
{
    if (u >= 1 && u <= MaxBenutzer && Platz(u)) {
        Platz(u).reset();
        Vermerke(Schreibe(u, u, TSchreibart::Ganz));
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
    Vermerke(Schreibe(u, u, TSchreibart::NurWarnungen));
    return BudgetWarnText(hoechste, betrag, e->Budget.Betrag);
}

void TBudgets::NeuerMonat(int u)
{
    if (u < 1 || u > MaxBenutzer || !Platz(u) || Platz(u)->Gewarnt.isEmpty())
        return;
    Platz(u)->Gewarnt.clear();
    Platz(u)->GewarntMonat.clear();
    Vermerke(Schreibe(u, u, TSchreibart::NurWarnungen));
}

TErgebnis TBudgets::Schreibe(int von, int bis, TSchreibart art)
{
    if (pfad.isEmpty())
        return { QStringLiteral("Es ist keine Einstellungsdatei bestimmt.") };
    if (gesperrt)
        return { QStringLiteral("Die Einstellungsdatei \"%1\" ist beschädigt und wird nicht überschrieben.")
                     .arg(pfad) };
    const TEinstellungsStand stand = AendereEinstellungen(pfad, [&](TIniText& ini) {
        for (int u = von; u <= bis; ++u) {
            const QString gruppe = Gruppe(u);
            if (art == TSchreibart::Ganz) {
                ini.EntferneGruppe(gruppe);
                if (Platz(u))
                    for (const auto& [schluessel, wert] : Felder(*Platz(u)))
                        ini.Setze(gruppe, schluessel, wert);
                continue;
            }
            // The warnings given go onto the entry the file holds now, and only while it
            // is still the budget they were given for: a budget changed outside wins.
            const std::optional<TEintrag> jetzt = LiesEintrag(ini, u);
            if (!Platz(u) || !jetzt || !jetzt->Gueltig || jetzt->Name != Platz(u)->Name
                || jetzt->Budget.Betrag != Platz(u)->Budget.Betrag
                || jetzt->Budget.Warnstufen != Platz(u)->Budget.Warnstufen)
                continue;
            ini.Entferne(gruppe, MonatSchluessel);
            ini.Entferne(gruppe, GewarntSchluessel);
            for (const auto& [schluessel, wert] : Felder(*Platz(u)))
                if (schluessel == MonatSchluessel || schluessel == GewarntSchluessel)
                    ini.Setze(gruppe, schluessel, wert);
        }
    });
    switch (stand.art) {
    case TEinstellungsStand::Gelesen:
        // What others changed meanwhile holds from now on.
        Uebernimm(stand.Inhalt);
        return {};
    case TEinstellungsStand::Beschaedigt:
        gesperrt = true;
        return { QStringLiteral("Die Einstellungsdatei \"%1\" ist beschädigt oder nicht lesbar (%2) und wird "
                                "nicht überschrieben. Es gelten keine Monatsbudgets.")
                     .arg(pfad, stand.Grund) };
    case TEinstellungsStand::Gesperrt:
        return { QStringLiteral("Die Einstellungsdatei \"%1\" ist von einem anderen Programm gesperrt (%2); "
                                "die Budgetwarnungen werden in diesem Lauf nicht vermerkt.")
                     .arg(pfad, stand.Grund) };
    case TEinstellungsStand::Fehlt:
    case TEinstellungsStand::Fehler:
        break;
    }
    return { QStringLiteral("Die Einstellungsdatei \"%1\" konnte nicht geschrieben werden (%2).")
                 .arg(pfad, stand.Grund) };
}

void TBudgets::Vermerke(const TErgebnis& ergebnis)
{
    if (ergebnis.Ok() || gemeldet)
        return;
    gemeldet = true;
    offeneMeldung = ergebnis.Fehler;
}

QString TBudgets::NimmMeldung()
{
    return std::exchange(offeneMeldung, QString());
}

namespace {

TBudgets& Instanz()
{
    static TBudgets budgets;
    return budgets;
}

} // namespace

TBudgets& Budgets()
{
    const QString pfad = EinstellungsPfad();
    if (Instanz().Pfad() != pfad)
        Instanz().Lade(pfad);
    return Instanz();
}

QString LadeBudgets()
{
    Instanz().Lade(EinstellungsPfad());
    return Instanz().LadeMeldung();
}
