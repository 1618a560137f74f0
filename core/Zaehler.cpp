#include "core/Zaehler.h"

#include "core/Budget.h"
#include "core/Verlaufseintrag.h"
#include "store/Abrechnung.h"
#include "store/Daten.h"
#include "store/Tarife.h"
#include "store/Verlauf.h"

TZaehler::TZaehler(QString journalPfad, TMessung messung)
    : FMessung(std::move(messung))
    , FJournal(std::move(journalPfad))
    , FHintBasis(StartHinweis())
{
    // The journal learns which entry its connection became before anything is saved.
    FMessung.BeiProtokoll = [this](const TBeendeteVerbindung& v) { FJournal.Protokolliert(v); };
}

TAnlauf TZaehler::Starte(const TAnlaufWunsch& wunsch)
{
    const TAnlauf anlauf = Anlaufen(wunsch);
    if (anlauf.JournalBleibt)
        FJournal.Sperre();
    // The currency is known now.
    FHintBasis = StartHinweis();
    return anlauf;
}

TZaehlerErgebnis TZaehler::Freigeben()
{
    TZaehlerErgebnis ergebnis = Folge(FMessung.Freigeben());
    // Already beyond a level before any connection: told at start-up.
    if (!ergebnis.Symbol)
        PruefeBudget(ergebnis);
    return ergebnis;
}

TZaehlerErgebnis TZaehler::Verbunden()
{
    return FGeschlossen ? TZaehlerErgebnis() : Folge(FMessung.Verbunden());
}

TZaehlerErgebnis TZaehler::Tick()
{
    return FGeschlossen ? TZaehlerErgebnis() : Folge(FMessung.Tick());
}

TZaehlerErgebnis TZaehler::Getrennt()
{
    return FGeschlossen ? TZaehlerErgebnis() : Folge(FMessung.Getrennt());
}

TZaehlerErgebnis TZaehler::PruefeMonat()
{
    return FGeschlossen ? TZaehlerErgebnis() : Folge(FMessung.PruefeMonat());
}

TZaehlerErgebnis TZaehler::PruefeBudget()
{
    TZaehlerErgebnis ergebnis;
    ergebnis.Messung.TickLaeuft = FMessung.Misst();
    PruefeBudget(ergebnis);
    return ergebnis;
}

TZaehlerErgebnis TZaehler::WaehrungGewechselt()
{
    FHintBasis = StartHinweis();
    return PruefeBudget();
}

TZaehlerErgebnis TZaehler::Folge(TMessErgebnis messung)
{
    TZaehlerErgebnis ergebnis;
    if (messung.MonatGewechselt)
        NeuerBudgetMonat(std::nullopt);
    if (messung.Hint)
        FHintBasis = *messung.Hint;
    // The hint carries the budget's share, so every result that may move the month's
    // amount looks at the budget.
    if (messung.Hint || messung.MonatText || messung.MonatGewechselt)
        PruefeBudget(ergebnis);
    ergebnis.Meldungen = std::move(messung.Meldungen);
    messung.Meldungen.clear();
    if (const QString fehler = FJournal.Verfolge(messung); !fehler.isEmpty())
        ergebnis.Meldungen << fehler;
    ergebnis.Messung = std::move(messung);
    return ergebnis;
}

void TZaehler::PruefeBudget(TZaehlerErgebnis& ergebnis)
{
    if (FGeschlossen)
        return;
    const bool benutzer = FMessung.Freigegeben() && GueltigerBenutzer(AktBenutzer);
    double betrag = 0;
    TBudget budget;
    TZaehlerErgebnis::TSymbol symbol;
    if (benutzer) {
        // A connection ended is in the month already; only a running one adds its cost.
        const std::optional<TLaufendeVerbindung> laufend = FMessung.Laufend();
        symbol.Gemessen = laufend.has_value();
        betrag = MonatsSumme(AktBenutzer) + (laufend ? laufend->Kosten : 0);
        budget = Budgets().Budget(AktBenutzer);
    }
    symbol.Hint = FHintBasis + BudgetHinweis(betrag, budget);
    symbol.UeberBudget = budget.Gesetzt() && StufeErreicht(betrag, budget.Betrag, 100);
    ergebnis.Symbol = symbol;
    if (benutzer)
        ergebnis.BudgetWarnung = Budgets().Pruefe(AktBenutzer, betrag, Now());
    // A warning the settings file would not take is told once; metering goes on.
    if (const QString fehler = Budgets().NimmMeldung(); !fehler.isEmpty())
        ergebnis.Fehler << fehler;
}

TZaehlerErgebnis TZaehler::Schliessen()
{
    TZaehlerErgebnis ergebnis;
    if (FGeschlossen)
        return ergebnis;
    FGeschlossen = true;
    // A connection still running is logged up to this moment rather than lost.
    ergebnis.Messung = FMessung.Schliessen();
    ergebnis.Meldungen = std::move(ergebnis.Messung.Meldungen);
    ergebnis.Messung.Meldungen.clear();
    // The saves come first, whatever is still to be said.
    const TSpeicherErgebnis daten = SpeichereDaten();
    SchreibeInVerlauf(ergebnis.Messung.Protokolliert);
    Verlauf().Schliesse();
    FJournal.Beende(daten.Ok);
    const TSpeicherErgebnis tarife = SpeichereTarife();
    for (const TSpeicherErgebnis& e : { daten, tarife })
        if (const QString text = SpeicherFehlerText(e); !text.isEmpty())
            ergebnis.Speicherfehler << text;
    return ergebnis;
}
