// What the connections of a period would have cost under every stored tariff: each
// connection priced again from its real start and length, plus each tariff's base fee
// for every month of the period; cheapest first, with the saving against the user's
// own tariff.
#pragma once

#include "core/TarifZeiten.h"
#include "runtime/Datum.h"
#include "store/Tarife.h"
#include "store/Verlauf.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// Prices one past connection (its start, length and bytes) under the tariff in slot
// 'tarifNr'; 'monatVorher' is what the month's connections before it transferred, for
// the volume a tariff includes each month.
using TPreisregel = std::function<double(
    int tarifNr, const TTarif& tarif, const TVerlaufsEintrag& verbindung, std::uint64_t monatVorher)>;

// The rule of store/Abrechnung: started minutes at the price per minute, plus the
// dial-in charge.
double FlacherPreis(int tarifNr, const TTarif& tarif, const TVerlaufsEintrag& verbindung, std::uint64_t);

// The rule the meter prices by: the tariff's rules file, time and volume, where it has
// one that can be read; else FlacherPreis. Each tariff's file is read once.
TPreisregel PreisNachRegeln(
    std::function<TRegelnDesTarifs(const QString& tarifname)> laden = LadeRegelnDesTarifs);

// A connection's bytes from the log; none when neither count is known.
std::optional<TBytestand> BytesDerVerbindung(const TVerlaufsEintrag& verbindung);

// The last 'monate' calendar months up to and including the month of 'heute'.
struct TZeitraum {
    TDateTime Von = 0; // the 1st of the first month, 00:00
    TDateTime Bis = 0; // the 1st after the last month, 00:00
    int Monate = 0;
};
TZeitraum LetzteMonate(TDateTime heute, int monate);

struct TVergleichsZeile {
    int TarifNr = 0;
    QString Tarif;
    double Kosten = 0; // in the currency in force, to the cent
    double Ersparnis = 0; // against the user's own tariff; negative: dearer
    bool Eigener = false;
};

struct TTarifvergleich {
    QString Benutzer;
    TZeitraum Zeitraum;
    int Verbindungen = 0;
    // What the own tariff costs; without one, what the connections were billed.
    double EigeneKosten = 0;
    QString EigenerTarif; // empty: none chosen
    std::vector<TVergleichsZeile> Zeilen; // cheapest first
};

// 'eigenerTarifNr' is the user's slot (0 = none).
TTarifvergleich VergleicheTarife(const QString& benutzer, const std::vector<TVerlaufsEintrag>& verbindungen,
    const TZeitraum& zeitraum, const TTarifTabelle& tarife, int eigenerTarifNr, const TPreisregel& preis);

// The comparison on standard output or in a file: a readable table under the current
// FormatSettings; CSV with "Tarif;Kosten (DM);Ersparnis (DM)" (or €), decimal commas, UTF-8
// with BOM and CRLF; JSON with raw numbers.
QString VergleichAlsText(const TTarifvergleich& vergleich);
QByteArray VergleichAlsCsv(const TTarifvergleich& vergleich);
QByteArray VergleichAlsJson(const TTarifvergleich& vergleich);
