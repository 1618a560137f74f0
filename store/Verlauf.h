// "Verlauf.sqlite": every connection for good, beside the 13 months of "Daten.kwd".
// An SQLite database (WAL, readable by its owner only) with one table; the README
// documents it for people who query it themselves. "Daten.kwd" stays the record of the
// last 13 months; this log only adds to it what the month slots cannot hold.
#pragma once

#include "runtime/Datum.h"
#include "runtime/Ergebnis.h"
#include "runtime/Waehrung.h"
#include "store/Daten.h"

#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

inline const QString VerlaufDateiName = QStringLiteral("Verlauf.sqlite");

// The schema's number in PRAGMA user_version.
constexpr int VerlaufSchemaVersion = 1;

inline const QString QuelleMessung = QStringLiteral("Messung");
inline const QString QuelleDaten = QStringLiteral("Daten.kwd");

struct TVerlaufsEintrag {
    QString Benutzer;
    TDateTime Beginn = 0; // local time, whole seconds are kept
    TDateTime Ende = 0;
    double Sekunden = 0;
    double Kosten = 0;
    // "DM" or "EUR": what Kosten is in. The move to Euro converts the rows; DM rows of
    // a log kept elsewhere stay so. What the log returns is in the currency in force.
    QString Waehrung = WaehrungsKennung(::Waehrung);
    QString Tarif;
    std::optional<qint64> RxBytes; // none = unknown
    std::optional<qint64> TxBytes;
    QString Quelle = QuelleMessung;
    bool Wiederhergestellt = false;
};

struct TMonatsWerte {
    int Anzahl = 0;
    double Sekunden = 0;
    double Kosten = 0;
};

// "2026-12-08T09:15:03": the form of beginn and ende in the table.
QString VerlaufZeitText(TDateTime wert);
// The reverse; nothing for a text of another form.
std::optional<TDateTime> VerlaufZeit(const QString& text);

class TVerlauf {
public:
    explicit TVerlauf(QString pfad);
    ~TVerlauf();
    TVerlauf(const TVerlauf&) = delete;
    TVerlauf& operator=(const TVerlauf&) = delete;

    struct TOeffnen {
        bool Ok = false;
        // Set when a damaged log was set aside and a new one begun: the one message.
        QString Meldung;
    };

    // Opens the log, creating it (0600) with its schema when missing. A file that is no
    // log of ours, or damaged, is set aside as "Verlauf.sqlite.defekt" and a new one
    // begun; Meldung then says so.
    TOeffnen Oeffne();
    // Only reads: never creates, changes or sets anything aside. False when there is no
    // readable log.
    [[nodiscard]] bool OeffneNurLesend();
    // Opens a log that is there, as it stands: nothing is created, set aside or set up.
    // False when there is no readable log of ours.
    [[nodiscard]] bool OeffneVorhandenen(bool nurLesend = false);
    // A log in memory only, for reading the account where no log file is.
    [[nodiscard]] bool OeffneImSpeicher();
    void Schliesse();
    bool Offen() const;
    QString Pfad() const { return FPfad; }

    // Enters one connection unless the log holds it already (same user, end, length,
    // cost and tariff). False when the write failed.
    [[nodiscard]] bool Schreibe(const TVerlaufsEintrag& eintrag);

    // Takes over every logged entry of "Daten.kwd" the log lacks, with its start as end
    // minus length, unknown bytes and the source "Daten.kwd". Returns how many were
    // added, nothing when the log could not be written.
    std::optional<int> UebernimmAusDaten(const TDaten& daten);

    // A consistent copy of the whole log, with what its -wal file holds yet, at 'ziel'
    // (readable by its owner only, durable); a file there is replaced.
    TErgebnis Sichere(const QString& ziel);
    // Every cost logged in 'von' through 'umrechnen', then logged in 'nach', in one
    // transaction. An empty cost stays empty.
    TErgebnis RechneKostenUm(TWaehrung von, TWaehrung nach, const std::function<double(double)>& umrechnen);
    // The rows of the copy at 'quelle' in place of all of this log's, in one transaction.
    TErgebnis UebernimmZeilen(const QString& quelle);

    // The queries go by the connection's start, as the month slots do.
    // Connections, seconds and costs of the twelve months of a year (January first).
    std::array<TMonatsWerte, 12> Monatswerte(const QString& benutzer, int jahr) const;
    // The same for the days of one month (index 0 = the 1st; as many as the month has).
    std::vector<TMonatsWerte> Tageswerte(const QString& benutzer, int jahr, int monat) const;
    // Every connection of the user that began in [von, bis), oldest first.
    std::vector<TVerlaufsEintrag> Verbindungen(const QString& benutzer, TDateTime von, TDateTime bis) const;
    // The first and last year with a connection of the user; nothing for none.
    std::optional<std::pair<int, int>> Jahre(const QString& benutzer) const;

private:
    // Connections, seconds and costs of [von, bis) by the two digits of beginn at 'stelle'
    // (6: the month, 9: the day), numbered from 1.
    std::vector<TMonatsWerte> Gruppiert(
        const QString& benutzer, const QString& von, const QString& bis, int stelle, size_t anzahl) const;
    [[nodiscard]] bool Verbinde(bool nurLesend);
    QString Fehler(const QString& grund) const;
    [[nodiscard]] bool RichteEin();
    bool Vorhanden(const TVerlaufsEintrag& eintrag) const;
    enum class TEintrag { Neu, Vorhanden, Fehler };
    // 'nachsehen': look first whether the log holds it.
    TEintrag Fuege(const TVerlaufsEintrag& eintrag, bool nachsehen);

    QString FPfad;
    QString FName; // of the Qt SQL connection
    struct TAbfragen;
    std::unique_ptr<TAbfragen> FAbfragen;
};

QString VerlaufPfad();

// The program's log, opened at start-up.
TVerlauf& Verlauf();

// A connection of the month slots as the log holds it (source "Daten.kwd").
TVerlaufsEintrag EintragAusDaten(const QString& benutzer, const TVerbindung& v);
