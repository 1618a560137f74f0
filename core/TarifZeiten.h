// A tariff's rules as the program keeps them beside the tariff table: loading them for
// pricing, the rows and fields of the editor "Zeiten…", import and export of rules
// files. The windows only show these results and ask the questions.
#pragma once

#include "core/Tarifregeln.h"
#include "platform/posix/Dateien.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

struct TRegelnDesTarifs {
    enum Art {
        Keine, // priced per minute by "Tarife.kwt"
        Geladen,
        Fehlerhaft, // there, but cannot be read: the reason is in Fehler
    } art
        = Keine;
    std::optional<TTarifregeln> Regeln;
    QString Fehler;
};
TRegelnDesTarifs LadeRegelnDesTarifs(const QString& tarifname);
// For a connection that is then priced per minute all the same.
QString RegelnFehlerText(const QString& tarifname, const QString& grund);

// ---- The editor ----

struct TZeitenZeile {
    QString Tage, Von, Bis, Preis, Einheit, AbSekunde;
};

// The texts of the editor; prices in DM and seconds with the decimal separator of
// FormatSettings.
struct TZeitenEingabe {
    QString StandardPreis, StandardEinheit, ProVerbindung, ErsterBlockPreis, ErsterBlockSekunden,
        Mindestpreis;
    // The price per started block of data, the block and the volume included each month:
    // volumes in MB or kB ("1 MB", "500 kB"), empty for none.
    QString VolumenPreis, VolumenBlock, Inklusivvolumen;
    std::vector<TZeitenZeile> Zeilen;
};

TZeitenEingabe ZeitenEingabeAus(const TTarifregeln& regeln);

struct TZeitenGelesen {
    std::optional<TTarifregeln> Regeln;
    QString Fehler; // "Zeile 3: unbekannter Tag 'mondag'", "Einheit: ..."
};
// Rows left wholly empty are skipped; empty von and bis mean the whole day.
TZeitenGelesen LiesZeitenEingabe(const TZeitenEingabe& eingabe);

// "Die Verbindungsquelle meldet keine Datenmenge. ..." while the source of the last
// connection told no bytes, so that a price by volume would count none; else empty.
QString KeineBytesHinweis();

// The rules the editor starts from: the tariff's file, or the per-minute rule of its
// prices when it has none. Nothing for a free slot or an unreadable file (Fehler).
std::optional<TTarifregeln> ZeitenDesTarifs(int slot, QString& fehler);
// Writes the tariff's rules file crash-safely.
TSpeicherErgebnis SpeichereZeiten(int slot, const TTarifregeln& regeln);

// ---- Import and export ----

struct TImport {
    std::optional<TTarifregeln> Regeln;
    QString Name; // as the table will hold it
    int VorhandenerSlot = 0; // a tariff of that name, to be replaced only when confirmed
    QString Fehler;
    QStringList Warnungen;
};
// Reads a rules file; its name comes from 'name=', else from the file's name.
TImport PruefeImport(const QByteArray& bytes, const QString& dateiname);
// "Es gibt schon einen Tarif „Abend“. Soll er ersetzt werden?"
QString ErsetzenFrage(const TImport& import);

struct [[nodiscard]] TImportErgebnis {
    int Slot = 0; // 0: nothing stored
    QString Fehler;
};
// Stores the tariff: the rules file first, then the slot, so a failure stores nothing.
// A replaced tariff keeps its slot and base fee.
TImportErgebnis FuehreImportAus(const TImport& import);

// The rules file text of a tariff: its own rules or the per-minute rule of its prices.
std::optional<QByteArray> ExportText(int slot, QString& fehler);
