// The one-time move of an account from DM to Euro at the fixed rate, as the banks and
// the programs of the changeover did it: every amount divided by 1.95583 (never
// multiplied by an inverse), costs, fees and budgets to the cent and prices per minute
// and per unit to four decimals, halves up; the month sums taken anew from the entries
// as converted, so that they add up.
//
// The move is all or nothing. Every file it changes is first copied beside itself
// ("Daten.kwd.dm", "Tarife.kwt.dm", "Kostenwolf.ini.dm", the rules folder as
// "Tarife.dm/", the history log as "Verlauf.sqlite.dm"); then the new files replace the old ones one by one,
// crash-safe, and the settings file's Waehrung=EUR comes last. A failure on the way writes the copies back;
// a crash on the way is undone at the next start by the same means.
#pragma once

#include "runtime/Ergebnis.h"
#include "store/Daten.h"
#include "store/Tarife.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

// DM for one Euro, fixed since 1 January 1999.
inline constexpr double EuroKurs = 1.95583;

// 'dm' in Euro, to 'stellen' decimals (0..6), halves up. Anything but a finite number
// stays as it is.
double InEuro(double dm, int stellen);
// Costs, fees, budgets: to the cent.
inline double BetragInEuro(double dm)
{
    return InEuro(dm, 2);
}
// Prices per minute or per unit and dial-in charges (Pfennig to Cent): four decimals.
inline double PreisInEuro(double pfennig)
{
    return InEuro(pfennig, 4);
}

// Every entry's cost of every user and month; each month's SummeKosten becomes the sum
// of its used entries as converted. Nothing else of the record changes.
void RechneDatenInEuroUm(TDaten& daten);
void RechneTarifInEuroUm(TTarif& tarif);
void RechneTarifeInEuroUm(TTarifTabelle& tarife);
// A rules file's text with its prices in Euro and its currency_symbol EUR; every other
// byte stays. Nothing, with the line and the reason in 'fehler', when a price cannot be
// read.
std::optional<QByteArray> RechneRegelnInEuroUm(const QByteArray& text, QString& fehler);

inline const QString RegelOrdnerName = QStringLiteral("Tarife");
inline const QString BereitsEuroText = QStringLiteral("Die Beträge sind bereits in Euro.");
inline const QString EuroFrageText
    = QStringLiteral("Alle Beträge werden zum festen Kurs 1 € = 1,95583 DM in Euro umgerechnet. "
                     "Die bisherigen Dateien bleiben als Sicherung erhalten. Umstellen?");

// A further file of the data folder that holds amounts: copied and restored like the
// others; 'RechneUm' converts it in place, crash-safe. Files that do not exist are
// left out.
struct TEuroSchritt {
    QString Datei; // name within the data folder
    std::function<TErgebnis(const QString& pfad)> RechneUm;
    // For a file not to be copied byte for byte (a database, whose latest part may lie
    // beside it): makes the copy at 'kopie', and writes it back from there.
    std::function<TErgebnis(const QString& pfad, const QString& kopie)> Sichere = {};
    std::function<TErgebnis(const QString& pfad, const QString& kopie)> SchreibeZurueck = {};
};

// The history log "Verlauf.sqlite": its DM rows to the cent in Euro, in one transaction.
TEuroSchritt VerlaufEuroSchritt();
// The further files of this program: the running connection's journal, then the
// history log.
QList<TEuroSchritt> WeitereEuroSchritte();

struct [[nodiscard]] TEuroErgebnis {
    enum Art {
        Umgestellt,
        BereitsEuro, // nothing changed
        Fehlgeschlagen, // nothing changed (or all written back)
    } art
        = Fehlgeschlagen;
    QString Meldung; // for the user
};

// Moves the account in 'verzeichnis' to Euro. Kostenwolf must not be running on it,
// or it must have saved its state just before and reload the files after.
TEuroErgebnis StelleAufEuroUm(
    const QString& verzeichnis, const QList<TEuroSchritt>& weitere = WeitereEuroSchritte());

// A move that a crash cut short is taken back from its copies. Returns the notice for
// the user (taken back or not), empty when there was no such move.
QString SetzeAbgebrocheneEuroUmstellungZurueck(
    const QString& verzeichnis, const QList<TEuroSchritt>& weitere = WeitereEuroSchritte());

// The move for the running program: its record and tariff table are saved first, the
// files moved, and record, table, budgets and currency read back; the current tariff's
// copy is converted as it stands. Refused when a save fails.
TEuroErgebnis StelleGeladenesKontoAufEuroUm();
