#include "core/Journal.h"

#include "core/Tarifregeln.h"
#include "platform/posix/Dateien.h"

#include <QDir>

namespace {

// The state without what grows as the connection runs: what makes a checkpoint due at
// once when it changes.
QByteArray OhneDauer(const TJournal& stand)
{
    TJournal j = stand;
    j.DauerMs = 0;
    j.Bytes.reset();
    return KodiereJournal(j);
}

} // namespace

TJournal AlsJournal(const TLaufendeVerbindung& laufend)
{
    TJournal j;
    j.Benutzer = laufend.Benutzer;
    j.TarifNr = laufend.TarifNr;
    j.Tarif = laufend.Tarif;
    j.Beginn = laufend.Beginn;
    j.DauerMs = laufend.DauerMs;
    j.Regeln = laufend.Regeln;
    j.Bytes = laufend.Bytes;
    return j;
}

std::optional<TJournal> DekodiereJournal(const QByteArray& bytes)
{
    return DekodiereJournalbytes(
        bytes, [](const QByteArray& regeln) { return LiesTarifregeln(regeln).Regeln.has_value(); });
}

TJournalFund LeseJournal(const QString& pfad)
{
    TJournalFund fund;
    const TKleineDatei datei = LeseKleineDatei(pfad, JournalHoechstGroesse());
    switch (datei.art) {
    case TKleineDatei::Fehlt:
        return fund;
    case TKleineDatei::Unlesbar:
        fund.art = TJournalFund::Unlesbar;
        fund.Grund = datei.Grund;
        return fund;
    case TKleineDatei::Gelesen:
        break;
    }
    if (const std::optional<TJournal> j = DekodiereJournal(datei.Inhalt)) {
        fund.art = TJournalFund::Gueltig;
        fund.Journal = *j;
    }
    else {
        fund.art = TJournalFund::Defekt;
    }
    return fund;
}

TVerbindungsjournal::TVerbindungsjournal(QString journalPfad)
    : pfad(std::move(journalPfad))
{
}

QString TVerbindungsjournal::Verfolge(const TMessErgebnis& ergebnis)
{
    if (ergebnis.Gespeichert) {
        // The connection that ended with this event; or connections held during start-up
        // and logged now, whose save also brings a log still waiting to disk.
        if (aktiv && !ergebnis.Laufend)
            Beende(ergebnis.Gespeichert->Ok);
        else if (ergebnis.Gespeichert->Ok)
            Gespeichert();
    }
    if (!ergebnis.Laufend)
        return {};
    const TJournal stand = AlsJournal(*ergebnis.Laufend);
    return ergebnis.MessungBegonnen || !aktiv ? Beginne(stand) : Takt(stand);
}

QString TVerbindungsjournal::Beginne(const TJournal& stand)
{
    aktiv = true;
    fehlerGemeldet = false;
    verzeichnisGesichert = false;
    return Meldung(Sichere(stand));
}

QString TVerbindungsjournal::Takt(const TJournal& stand)
{
    if (!aktiv)
        return {};
    const bool faellig = stand.DauerMs - letzteMs >= SicherungsabstandMs || stand.DauerMs < letzteMs
        || OhneDauer(stand) != letzter;
    return faellig ? Meldung(Sichere(stand)) : QString();
}

TSpeicherErgebnis TVerbindungsjournal::Sichere(const TJournal& stand)
{
    if (gesperrt || wartet) {
        TSpeicherErgebnis ergebnis;
        ergebnis.Ok = false;
        ergebnis.Gesperrt = true;
        return ergebnis;
    }
    const QByteArray bytes = KodiereJournal(stand);
    const TSpeicherErgebnis ergebnis
        = ErsetzeDatei(pfad, bytes.constData(), size_t(bytes.size()), !verzeichnisGesichert);
    if (ergebnis.Ok) {
        verzeichnisGesichert = true;
        letzter = OhneDauer(stand);
        letzteMs = stand.DauerMs;
        gesichert = stand;
    }
    return ergebnis;
}

void TVerbindungsjournal::Protokolliert(const TBeendeteVerbindung& verbindung)
{
    if (!aktiv)
        return;
    TJournal j = gesichert;
    j.Benutzer = verbindung.Benutzer;
    j.Tarif = verbindung.Tarif;
    j.Beginn = verbindung.Beginn;
    j.DauerMs = verbindung.DauerMs;
    j.Datum = verbindung.Datum;
    j.Kosten = verbindung.Kosten;
    // Not written: the checkpoint stays, and a start after a crash logs from it.
    (void)Sichere(j);
}

void TVerbindungsjournal::Beende(bool gespeichert)
{
    // The file on disk is this run's: the connection's own, or one still waiting.
    const bool eigenes = (aktiv && !gesperrt) || wartet;
    aktiv = false;
    letzter.clear();
    letzteMs = 0;
    if (!eigenes)
        return;
    wartet = !gespeichert;
    if (gespeichert)
        EntferneJournal(pfad);
}

void TVerbindungsjournal::Gespeichert()
{
    if (!wartet)
        return;
    wartet = false;
    EntferneJournal(pfad);
}

QString TVerbindungsjournal::Meldung(const TSpeicherErgebnis& ergebnis)
{
    if (ergebnis.Ok || ergebnis.Gesperrt || fehlerGemeldet)
        return {};
    fehlerGemeldet = true;
    return QStringLiteral("Die laufende Verbindung kann nicht zwischengesichert werden: ")
        + QDir::toNativeSeparators(pfad) + QStringLiteral(" (") + ergebnis.Grund + QStringLiteral(")");
}
