// Metering of dial-up connections as one plain state machine: connect, tick, disconnect,
// the events held while start-up still waits for the user, the close and the month
// turn. Each event returns what the main window is to show and what it is to tell the
// user; the window shows the messages once the event has been handled, so no box ever
// stands inside an event and no state changes behind an open box.
//
// Reads and writes the shared record (Daten, AktBenutzer, AktTarif). Elapsed time comes
// from a monotonic clock that runs on through suspend, dates from the wall clock; a
// second monotonic clock that stops in suspend tells when the machine slept. All three
// are injected.
#pragma once

#include "core/Datenvolumen.h"
#include "core/TarifZeiten.h"
#include "platform/posix/Dateien.h"
#include "runtime/Datum.h"
#include "store/Abrechnung.h"
#include "store/Tarife.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The connection being metered, as it stands after an event.
struct TLaufendeVerbindung {
    int Benutzer = 0; // the current user, whose month will receive it
    int TarifNr = 0; // that user's tariff slot, 0 = none
    TTarif Tarif {}; // the prices of the last tick (AktTarif then)
    TDateTime Beginn = 0; // wall-clock start, local time
    int64_t DauerMs = 0; // elapsed on the monotonic clock at this event
    double Kosten = 0; // DM, as of the last tick
    // The rules file that prices it, as read when it began; empty: per minute by Tarif.
    QByteArray Regeln;
    std::optional<TBytestand> Bytes; // as of the last tick; none when unknown
};

// A finished connection and where it went.
struct TBeendeteVerbindung {
    int Benutzer = 0;
    TTarif Tarif {}; // the tariff it was logged with
    TDateTime Beginn = 0; // wall-clock start
    TDateTime Datum = 0; // the entry's Datum: when it ended or was logged
    int64_t DauerMs = 0;
    TDateTime Dauer = 0; // days, the same span
    double Kosten = 0;
    std::optional<TBytestand> Bytes;
    TProtokollErgebnis Ergebnis = TProtokollErgebnis::Eingetragen;
};

struct TMessErgebnis {
    // New texts of ZeitLabel, KostenLabel, Label1 and the tray hint; none = unchanged.
    std::optional<QString> ZeitText;
    std::optional<QString> KostenText;
    std::optional<QString> MonatText;
    std::optional<QString> Hint;
    // "Bezahlt bis 21:03:00" and "Ab 21:00 Uhr: 0,03 DM je 60 s" while a tariff with
    // rules prices the connection; empty texts when there is nothing to show.
    std::optional<QString> BezahltText;
    std::optional<QString> WechselText;
    // The connection's volume ("12,3 MB", "–") and, where the tariff includes a volume,
    // how much of it the month has used; an empty text hides that line.
    std::optional<QString> VolumenText;
    std::optional<QString> InklusivText;
    // Whether the one-second tick should run after this event.
    bool TickLaeuft = false;
    // A connection began to be metered in this event (it is in Laufend).
    bool MessungBegonnen = false;
    // The connection metered after this event, if any.
    std::optional<TLaufendeVerbindung> Laufend;
    // Connections logged in this event, in the order they happened.
    std::vector<TBeendeteVerbindung> Protokolliert;
    // Set when Daten.kwd was written after logging (never by Schliessen: the close
    // sequence saves both files itself).
    std::optional<TSpeicherErgebnis> Gespeichert;
    // The month turned: every user rolled over, month levels start afresh.
    bool MonatGewechselt = false;
    // For the user, in this order, once the event is done.
    QStringList Meldungen;
};

// "Das Verbindungsprotokoll dieses Monats ist voll ..."
extern const QString MonatVollText;

class TMessung {
public:
    using TWanduhr = std::function<TDateTime()>;
    using TMonotoneUhr = std::function<int64_t()>; // milliseconds
    using TSpeichern = std::function<TSpeicherErgebnis()>;
    using TRegelnLaden = std::function<TRegelnDesTarifs(const QString& tarifname)>;

    // A tick finding that the clocks drifted apart by more than this since the last one
    // takes it for a sleep of the machine.
    static constexpr int64_t SchlafSchwelleMs = 1000;
    // After a sleep the connection is billed on only once it has been seen up this long
    // awake: by then the detector has polled at least once.
    static constexpr int64_t BestaetigungNachSchlafMs = 2000;

    explicit TMessung(TWanduhr wanduhr = Now, TMonotoneUhr monoton = MonotoneMillisekunden,
        TSpeichern speichern = SpeichereDaten, TMonotoneUhr wach = WachMillisekunden,
        TRegelnLaden regelnLaden = LadeRegelnDesTarifs);

    // Runs for every connection written into the record, before anything saves the
    // record: the journal notes which entry its connection became.
    std::function<void(const TBeendeteVerbindung&)> BeiProtokoll;

    // The detector's events and the one-second tick. Until Freigeben, connect and
    // disconnect are only noted, each with its own times.
    TMessErgebnis Verbunden();
    TMessErgebnis Tick();
    TMessErgebnis Getrennt();

    // Start-up is done (user logged in, AktTarif set, month rolled over): the held
    // connections are logged in the order they happened, each with its own start and
    // length, and one still up is metered from its own start.
    TMessErgebnis Freigeben();

    // While no connection is metered: turns the month once the wall clock has entered a
    // later one. The window calls it now and then; ticks and disconnects check too.
    TMessErgebnis PruefeMonat();

    // The close sequence: a running connection is logged up to now; nothing is saved
    // and the tick stops. Messages are for the window to show after its saves, or drop.
    TMessErgebnis Schliessen();

    // Reads the running connection's byte counters, once a tick.
    using TByteLeser = std::function<std::optional<TBytestand>()>;
    void SetzeByteLeser(TByteLeser leser) { FByteLeser = std::move(leser); }

    bool Freigegeben() const { return FFreigegeben; }
    bool Misst() const { return FMisst; }
    std::optional<TLaufendeVerbindung> Laufend() const;

private:
    struct TGehalten {
        TDateTime Beginn;
        int64_t BeginnMs;
        int64_t EndeMs;
        TDateTime Ende; // wall clock at the disconnect: the entry's Datum
    };

    void Tickt(TMessErgebnis& ergebnis);
    // The rules of AktTarif for the running connection, read again only when another
    // tariff prices it; a file that cannot be read leaves the price per minute.
    void FolgeTarif(TMessErgebnis& ergebnis);
    // The cost of a connection held during start-up, by AktTarif and its rules.
    double Preis(TDateTime beginn, int64_t dauerMs, TMessErgebnis& ergebnis);
    // The volume's share of the cost as of the last reading, and its texts.
    double Volumen(TMessErgebnis& ergebnis);
    // Since the last tick the machine slept: by the clocks, or as a tick found already.
    bool Geschlafen(int64_t jetztMs, int64_t wachMs) const;
    // 'datum' is the entry's Datum: the moment the connection ended or is logged.
    void Protokolliere(TMessErgebnis& ergebnis, TDateTime beginn, TDateTime datum, int64_t dauerMs,
        double kosten, const std::optional<TBytestand>& bytes = std::nullopt);
    void Abschliessen(TMessErgebnis& ergebnis, bool speichern);
    bool WechsleMonatFallsNoetig(TMessErgebnis& ergebnis);
    // Turns the month forward to 'index' (year * 12 + month - 1), if it lies ahead.
    bool WechsleMonatBis(int index, TMessErgebnis& ergebnis);

    TWanduhr FWanduhr;
    TMonotoneUhr FMonoton;
    TSpeichern FSpeichern;
    TRegelnLaden FRegelnLaden;
    TByteLeser FByteLeser;
    TMonotoneUhr FWach;

    bool FFreigegeben = false;
    bool FMisst = false;
    bool FOffenGehalten = false;
    TDateTime FBeginn = 0;
    int64_t FBeginnMs = 0;
    int64_t FDauerMs = 0;
    double FKosten = 0;
    TBytezaehler FZaehler;
    TDateTime FLetzteWand = 0; // the wall clock at the last tick that billed
    int64_t FSchlafMs = 0; // how far the two monotonic clocks lay apart at the last tick
    std::optional<int64_t> FWachNachSchlaf; // awake time at the tick that found a sleep
    std::vector<TGehalten> FGehalten;
    std::optional<QString> FLaufTarif; // the tariff name FLauf was read for
    std::optional<TTarifLauf> FLauf;
    QByteArray FRegelText;
    // The month the log lives in (year * 12 + month - 1); it only moves forward, so a
    // clock set back never empties a month again.
    int FMonatIndex = 0;
};
