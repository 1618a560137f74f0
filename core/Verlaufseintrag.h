// How a logged connection reaches "Verlauf.sqlite": written right after "Daten.kwd" was
// saved, with what the month slot cannot hold; at start-up, whatever "Daten.kwd" holds
// and the log lacks is taken over. A write that fails costs nothing but the start and
// the bytes of that connection: the next start takes it over from "Daten.kwd".
#pragma once

#include "core/Messung.h"
#include "store/Tarife.h"
#include "store/Verlauf.h"

#include <QString>
#include <vector>

// The log's row for a connection that was just entered into user 'benutzer''s month:
// the same tariff name, end, length and cost as the entry, so that the entry is known
// again at the next start.
TVerlaufsEintrag VerlaufsEintrag(
    int benutzer, const TTarif& tarif, TDateTime beginn, TDateTime ende, TDateTime dauer, double kosten);

// Writes into the program's log when it is open. False when that failed.
[[nodiscard]] bool SchreibeInVerlauf(const TVerlaufsEintrag& eintrag);
// The connections of a metering event that went into "Daten.kwd".
void SchreibeInVerlauf(const std::vector<TBeendeteVerbindung>& verbindungen);

// Start-up: opens the program's log (setting a damaged one aside) and takes over the
// entries of "Daten.kwd" it lacks. Returns the message for the user, if any.
QString OeffneVerlaufBeimStart();
// The back-fill alone, once the start-up's own connections are in.
void UebernimmDatenInVerlauf();
