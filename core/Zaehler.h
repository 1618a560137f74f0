// The meter behind the main window: one object for the metering (TMessung), the
// journal a crash leaves behind, the month's budget, the month turn and the start-up
// that logs a connection a crash cut short. It takes the detector's events, the
// one-second tick, the idle month check and the close, and answers each with one
// result that the window only applies: labels, tray hint and icon, tick, messages.
#pragma once

#include "core/Anlauf.h"
#include "core/Journal.h"
#include "core/Messung.h"

#include <QString>
#include <QStringList>
#include <optional>

struct [[nodiscard]] TZaehlerErgebnis {
    // What the metering changed: the labels' texts, whether the tick runs, the month
    // turn. Its messages are in Meldungen.
    TMessErgebnis Messung;
    // The tray icon after a look at the budget: its hint with the budget's share and its
    // marks; none = unchanged.
    struct TSymbol {
        QString Hint;
        bool Gemessen = false; // a connection is being metered
        bool UeberBudget = false; // the month's budget is used up
    };
    std::optional<TSymbol> Symbol;
    // A budget level newly reached.
    std::optional<QString> BudgetWarnung;
    // What a write of the budget file ran into: shown, and told on stderr as well.
    QStringList Fehler;
    // For the user, in this order, once the event is done.
    QStringList Meldungen;
    // Schliessen only: the saves that failed, for a box or stderr.
    QStringList Speicherfehler;
};

class TZaehler {
public:
    explicit TZaehler(QString journalPfad = JournalPfad(), TMessung messung = TMessung());
    TZaehler(const TZaehler&) = delete;
    TZaehler& operator=(const TZaehler&) = delete;

    // Where the running connection's byte counters come from.
    void SetzeByteLeser(TMessung::TByteLeser leser) { FMessung.SetzeByteLeser(std::move(leser)); }

    // The start-up sequence (core/Anlauf.h); a journal it leaves on disk is not written
    // over in this run.
    TAnlauf Starte(const TAnlaufWunsch& wunsch);
    // Start-up is done: connections held meanwhile are logged, the budget looked at.
    TZaehlerErgebnis Freigeben();

    TZaehlerErgebnis Verbunden();
    TZaehlerErgebnis Tick();
    TZaehlerErgebnis Getrennt();
    // Now and then while nothing is metered: the month turn.
    TZaehlerErgebnis PruefeMonat();
    // The budget, the user or the currency changed.
    TZaehlerErgebnis PruefeBudget();
    TZaehlerErgebnis WaehrungGewechselt();
    // The close: a running connection is logged up to now, "Daten.kwd", the log and
    // "Tarife.kwt" are written and the journal follows the save. Later events change
    // nothing.
    TZaehlerErgebnis Schliessen();

    bool Misst() const { return FMessung.Misst(); }

private:
    // Journal, budget month and budget after a metering event.
    TZaehlerErgebnis Folge(TMessErgebnis messung);
    void PruefeBudget(TZaehlerErgebnis& ergebnis);

    TMessung FMessung;
    TVerbindungsjournal FJournal;
    QString FHintBasis; // the hint without the budget's share
    bool FGeschlossen = false;
};
