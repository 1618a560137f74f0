// A monthly budget per user with warning levels, kept in "Kostenwolf.ini" beside the
// two data files, which this never touches. Each user's budget is filed under the
// user's position and name ([Budget1]..[Budget4] with Name=...), so a budget whose
// name no longer matches the user at that position counts as none. The levels already
// warned of are remembered per user with the month they belong to, so a restart within
// the month does not warn again and a new month does.
#pragma once

#include "runtime/Datum.h"
#include "runtime/Ergebnis.h"

#include <QList>
#include <QPair>
#include <QString>
#include <array>
#include <optional>

class TIniText;

inline const QString BudgetDateiName = QStringLiteral("Kostenwolf.ini");
inline const QList<int> StandardWarnstufen { 80, 100 };
constexpr int MaxWarnstufe = 1000;

struct TBudget {
    double Betrag = 0; // a month, in the currency in force; 0 = no budget
    QList<int> Warnstufen = StandardWarnstufen; // percent of Betrag, ascending, no repeats

    bool Gesetzt() const { return Betrag > 0; }
};

// "2026-12": the month a warning belongs to.
QString MonatsSchluessel(TDateTime datum);

// "40,00": two decimals with the decimal separator of FormatSettings.
QString ZweiStellen(double betrag);

// The whole percent of the budget the amount has reached, rounded down, so that 99.6 %
// never reads as 100 %. Both are taken to whole Pfennig first.
int BudgetProzent(double betrag, double budget);
bool StufeErreicht(double betrag, double budget, int stufe);

// "Kostenwolf: 80 % des Monatsbudgets erreicht (40,00 von 50,00 DM)", and from 100 %
// on "Kostenwolf: Monatsbudget überschritten (51,20 von 50,00 DM)".
QString BudgetWarnText(int stufe, double betrag, double budget);

// " (Budget: 62 %)" to add to the tray hint; empty without a budget.
QString BudgetHinweis(double betrag, const TBudget& budget);

// Levels typed as "80, 100" (commas, semicolons or blanks between them): whole numbers
// 1..1000, given back ascending without repeats. Nothing for an empty list or any
// other text.
std::optional<QList<int>> LiesWarnstufen(const QString& text);
QString WarnstufenText(const QList<int>& stufen);

class TBudgets {
public:
    enum class TLadeZustand {
        Geladen,
        Fehlt, // no file yet: no budgets, the first one set creates it
        Beschaedigt, // the file or some of its budgets could not be read
    };

    // Reads the budgets from the file. A file that cannot be read as a whole is left
    // untouched for the rest of the run: nothing is written over it. Every write reads
    // the file afresh and changes only what it has to, so what another program or the
    // user changed meanwhile stays and holds from then on.
    TLadeZustand Lade(const QString& pfad);
    const QString& Pfad() const { return pfad; }
    // The notice for the user after loading; empty when all went well.
    const QString& LadeMeldung() const { return meldung; }

    // User u's budget, if the entry at u's position bears u's name in Daten.
    TBudget Budget(int u) const;
    // Sets user u's budget (a Betrag of 0 removes it) and writes the file.
    TErgebnis SetzeBudget(int u, const TBudget& budget);
    // The user at position u was removed and those above moved down one position:
    // the budgets move with them and the top position 'anzahlVorher' is emptied.
    void BenutzerEntfernt(int u, int anzahlVorher);
    // Position u is given to a new user, who starts without a budget.
    void BenutzerAngelegt(int u);

    // The check for user u whose month has reached 'betrag' at 'jetzt': the warning for
    // the highest level reached that was not warned of in this month yet, or nothing.
    // Every level reached is remembered as warned, in memory and in the file.
    std::optional<QString> Pruefe(int u, double betrag, TDateTime jetzt);
    // User u's month has turned over: the levels warn again.
    void NeuerMonat(int u);

    // Once a run, what a write of the checks above ran into (the file locked, damaged
    // meanwhile, not writable), as a notice for the user; empty when there is nothing
    // new to tell.
    QString NimmMeldung();

private:
    struct TEintrag {
        QString Name;
        TBudget Budget;
        QString GewarntMonat;
        QList<int> Gewarnt;
        bool Gueltig = false;
    };
    enum class TSchreibart {
        Ganz, // the positions' groups as they are in memory
        NurWarnungen, // only the levels warned of, onto what the file holds
    };
    std::array<std::optional<TEintrag>, 5> eintraege; // positions 1..4
    std::optional<TEintrag>& Platz(int u) { return eintraege[static_cast<std::size_t>(u)]; }
    const std::optional<TEintrag>& Platz(int u) const { return eintraege[static_cast<std::size_t>(u)]; }
    QString pfad;
    QString meldung;
    QString offeneMeldung;
    bool gesperrt = false;
    bool gemeldet = false;

    const TEintrag* Eintrag(int u) const;
    static std::optional<TEintrag> LiesEintrag(const TIniText& ini, int u);
    static QList<QPair<QString, QString>> Felder(const TEintrag& e);
    // Takes the file's entries into memory; returns whose budgets could not be read.
    QStringList Uebernimm(const TIniText& ini);
    // Writes positions von..bis into the file.
    TErgebnis Schreibe(int von, int bis, TSchreibart art);
    void Vermerke(const TErgebnis& ergebnis);
};

// The budgets of the data directory for the windows; read again whenever the data
// directory changes.
TBudgets& Budgets();
// Reads the data directory's budgets afresh (at start-up) and returns the notice for
// the user, empty when there is nothing.
QString LadeBudgets();
