// The currency the amounts of the files are kept in, and the texts that name it. The
// files held DM from the start; an account is moved to Euro once and then holds Euro:
// prices per minute and dial-in charges in Cent, fees, budgets and costs in Euro.
#pragma once

#include <QString>
#include <optional>

enum class TWaehrung { DM, EUR };

// The currency in force: DM until the settings file says otherwise.
extern TWaehrung Waehrung;

// "DM" or "€".
QString WaehrungsZeichen(TWaehrung waehrung = Waehrung);
// "DM" or "Euro": the currency named in a sentence.
QString WaehrungsName(TWaehrung waehrung = Waehrung);
// "Pf." or "ct": the unit of a price per minute and of a dial-in charge.
QString KleineEinheit(TWaehrung waehrung = Waehrung);
// "0,11 DM" or "0,11 €": an amount text, a blank, the sign.
QString MitWaehrung(const QString& betrag, TWaehrung waehrung = Waehrung);
// "Kosten (DM)" or "Kosten (€)": a column heading for amounts.
QString MitWaehrungInKlammern(const QString& spalte, TWaehrung waehrung = Waehrung);

// "DM" or "EUR", as the settings file and the rules files name it.
QString WaehrungsKennung(TWaehrung waehrung);
// The currency a settings value names ("DM", "EUR", "€", "Euro", any case); nothing
// for anything else.
std::optional<TWaehrung> WaehrungAusKennung(const QString& kennung);
