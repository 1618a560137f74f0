// The tariff editor's work on the table in memory: finding slots, storing a tariff
// entered in the fields, freeing slots and choosing the current user's tariff. The
// settings window only shows the results and the messages.
#pragma once

#include "store/Tarife.h"

#include <QString>
#include <QStringList>

// The first free slot 1..99, 0 when all are used.
int ErsterFreierTarif();

// The first used slot whose name equals the text exactly, 0 when there is none. This
// is how a line of the tariff list finds its tariff.
int TarifNachName(const QString& name);

// The names of the used slots in slot order: the lines of the tariff list.
QStringList TarifNamen();

// A name as the table will hold it: cut to 50 characters, in the file's code page.
QString GespeicherterTarifName(const QString& name);

// The texts of the four fields of the edit page.
struct TTarifEingabe {
    QString Name;
    QString Preis;
    QString Einwahl;
    QString Grundpreis;
};

struct [[nodiscard]] TTarifErgebnis {
    enum Art {
        Gespeichert,
        KeinPlatz, // all 99 slots used
        NameLeer,
        NameVergeben, // another slot bears the name
        KeineZahl, // a number field holds no finite number
        Negativ, // a number field holds a number below 0
        NichtGefunden, // the slot to change is free
        RegelnBleiben, // the rules file could not take the new name: the tariff keeps its old one
    } art
        = Gespeichert;
    int Slot = 0;
    QString Name; // the name as stored
    QString Grund; // RegelnBleiben: the file and why
    enum Feld { FeldName, FeldPreis, FeldEinwahl, FeldGrundpreis } feld = FeldName; // the field at fault

    bool Ok() const { return art == Gespeichert; }
    // The message for the user (a text to show, not a second result); empty when stored.
    QString Meldung(const TTarifEingabe& eingabe) const;
};

// The label of a number field as the editor shows it, without its colon.
QString TarifFeldName(TTarifErgebnis::Feld feld);

// Both check every field before they write, so a refused entry leaves the table as it
// was: never a slot with a new name and old prices.
TTarifErgebnis NeuerTarif(const TTarifEingabe& eingabe);
// A renamed tariff takes its rules file along.
TTarifErgebnis TarifAendern(int slot, const TTarifEingabe& eingabe);

// Whether the table has changed since it was last written.
bool TarifeGeaendert();
// Writes "Tarife.kwt" now (crash-safe, as every save), or only when the table has changed.
TSpeicherErgebnis SichereTarife();
TSpeicherErgebnis SichereGeaenderteTarife();

// Frees the slot and removes its rules file. Users who selected it keep its number,
// AktTarif keeps its copy.
void TarifLoeschen(int slot);
void AlleTarifeLoeschen();

// Makes the slot the current user's tariff: its number into TarifNr, its copy into
// AktTarif. False, changing nothing, without a slot or a current user.
[[nodiscard]] bool TarifWaehlen(int slot);

// The current user's TarifNr, 0 without a current user.
int TarifDesAktBenutzers();
