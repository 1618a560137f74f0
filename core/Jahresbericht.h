// A user's year from the connection log: the twelve months' connections, time and
// costs, for the year view and "kostenwolf --bericht --jahr"; and a month's
// connections as JSON for scripts.
#pragma once

#include "store/Verlauf.h"

#include <QByteArray>
#include <QString>
#include <array>

struct TJahresbericht {
    QString Benutzer;
    int Jahr = 0;
    std::array<TMonatsWerte, 12> Monate {};
    TMonatsWerte Summe;
};

// Aggregated in the database, so years of history cost no more than one year.
TJahresbericht BaueJahresbericht(const TVerlauf& verlauf, const QString& benutzer, int jahr);

// One line per month with connections, time and costs of the connections, and the sum.
QString JahrAlsText(const TJahresbericht& bericht);
// "Monat;Verbindungen;Dauer (Sekunden);Kosten (DM)" (or €), like the other CSV files.
QByteArray JahrAlsCsv(const TJahresbericht& bericht);
QByteArray JahrAlsJson(const TJahresbericht& bericht);

// The month's connections with their start, end, seconds, costs, tariff and bytes, and
// the month amount with the base fee, as raw numbers.
QByteArray MonatAlsJson(const QString& benutzer, int jahr, int monat, double grundpreis,
    const std::vector<TVerlaufsEintrag>& verbindungen);
