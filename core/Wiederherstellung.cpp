#include "core/Wiederherstellung.h"

#include "core/Datenvolumen.h"
#include "core/Journal.h"
#include "core/Verlaufseintrag.h"
#include "store/Daten.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString BleibtText = QStringLiteral(
    " Sie bleibt unverändert; bis zum nächsten Start wird keine laufende Verbindung zwischengesichert.");

QString Name(const QString& pfad)
{
    return QDir::toNativeSeparators(pfad);
}

void LegeBeiseite(const QString& pfad, const QString& warum, TWiederherstellung& ergebnis)
{
    const TSpeicherErgebnis beiseite = LegeDateiBeiseite(pfad, JournalBeiseiteName);
    if (beiseite.Ok) {
        ergebnis.Meldungen << QStringLiteral("Die Verbindungssicherung ") + Name(pfad) + warum
                + QStringLiteral(" Sie wurde als ") + QFileInfo(beiseite.Pfad).fileName()
                + QStringLiteral(" beiseitegelegt.");
        return;
    }
    ergebnis.JournalBleibt = true;
    ergebnis.Meldungen << QStringLiteral("Die Verbindungssicherung ") + Name(pfad) + warum
            + QStringLiteral(" Sie kann nicht beiseitegelegt werden (") + beiseite.Grund
            + QStringLiteral(").") + BleibtText;
}

bool HatEintrag(const TMonat& monat, TDateTime datum, TDateTime dauer)
{
    const int n = AnzahlVerbindungen(monat);
    for (int k = 0; k < n; ++k)
        if (monat.Verbindungen[k].Datum == datum && monat.Verbindungen[k].Dauer == dauer)
            return true;
    return false;
}

} // namespace

QString WiederhergestelltText(TDateTime beginn, TDateTime dauer, double kosten)
{
    return QStringLiteral("Eine Verbindung wurde nicht ordnungsgemäß beendet und bis zur letzten Sicherung "
                          "protokolliert: ")
        + DateToStr(beginn) + QLatin1Char(' ') + TimeToStr(beginn) + QStringLiteral(", ") + DauerToStr(dauer)
        + QStringLiteral(", ") + BetragText(kosten);
}

TWiederherstellung StelleVerbindungWiederHer(
    const QString& pfad, const std::function<TSpeicherErgebnis()>& speichern)
{
    TWiederherstellung ergebnis;
    const TJournalFund fund = LeseJournal(pfad);
    switch (fund.art) {
    case TJournalFund::Keins:
        return ergebnis;
    case TJournalFund::Unlesbar:
        ergebnis.JournalBleibt = true;
        ergebnis.Meldungen << QStringLiteral("Die Verbindungssicherung ") + Name(pfad)
                + QStringLiteral(" kann nicht gelesen werden (") + fund.Grund + QStringLiteral(").")
                + BleibtText;
        return ergebnis;
    case TJournalFund::Defekt:
        LegeBeiseite(pfad, QStringLiteral(" ist beschädigt oder stammt nicht von Kostenwolf."), ergebnis);
        return ergebnis;
    case TJournalFund::Gueltig:
        break;
    }

    const TJournal& j = fund.Journal;
    if (j.Benutzer > Daten.BenutzerAnzahl) {
        LegeBeiseite(pfad, QStringLiteral(" gehört zu keinem vorhandenen Benutzer."), ergebnis);
        return ergebnis;
    }
    const TDateTime jetzt = Now();
    // A day's grace for a clock put right since; beyond that the start is no real one.
    if (j.Beginn > jetzt + 1) {
        LegeBeiseite(pfad,
            QStringLiteral(" beginnt erst am ") + DateToStr(j.Beginn) + QStringLiteral(", in der Zukunft."),
            ergebnis);
        return ergebnis;
    }
    // The twelve slots hold the last twelve months; an older month's slot holds a later
    // one now.
    if (MonatsIndex(j.Beginn) <= MonatsIndex(jetzt) - 12) {
        LegeBeiseite(pfad,
            QStringLiteral(" stammt vom ") + DateToStr(j.Beginn)
                + QStringLiteral("; das Protokoll dieses Monats wird nicht mehr geführt."),
            ergebnis);
        return ergebnis;
    }

    const TDateTime dauer = double(j.DauerMs) / double(MSecsPerDay);
    // Priced like a connection that ended after as long, by the rules the journal carries
    // if it carries any, its volume included: they priced it. One already logged keeps
    // the entry it became.
    const std::optional<TTarifregeln> regeln
        = j.Regeln.isEmpty() ? std::nullopt : LiesTarifregeln(j.Regeln).Regeln;
    double kosten = j.Kosten;
    if (!j.Protokolliert() && regeln)
        kosten = Regelpreis(
            *regeln, j.Beginn, j.DauerMs, j.Bytes, MonatsvolumenBisher(j.Benutzer, MonatsIndex(j.Beginn)));
    else if (!j.Protokolliert())
        kosten = PreisNachLaufzeit(j.DauerMs, j.Tarif);
    // Dated by its end as far as it is known, the last checkpoint, not by this start.
    const TDateTime datum = j.Protokolliert() ? j.Datum : j.Beginn + dauer;
    int jahr, monat, tag;
    DecodeDate(j.Beginn, jahr, monat, tag);
    int heuteJahr, heuteMonat, heuteTag;
    DecodeDate(jetzt, heuteJahr, heuteMonat, heuteTag);

    if (HatEintrag(Daten.Benutzer[j.Benutzer].Monate[monat], datum, dauer)) {
        EntferneJournal(pfad);
        return ergebnis;
    }

    // Kept to undo the entry when the save fails: the journal then stays, and the next
    // start must not find the connection logged twice.
    const TBenutzer& benutzer = Daten.Benutzer[j.Benutzer];
    const TMonat vorher = benutzer.Monate[monat];
    const uint8_t vorherMonatNr = benutzer.MonatNr;
    const TProtokollErgebnis eingetragen = ProtokolliereVerbindungImBeginnmonat(
        j.Benutzer, j.Tarif, j.Beginn, dauer, kosten, heuteMonat, datum);
    if (eingetragen == TProtokollErgebnis::MonatVoll) {
        EntferneJournal(pfad);
        ergebnis.Meldungen << QStringLiteral("Eine Verbindung wurde nicht ordnungsgemäß beendet (")
                + DateToStr(j.Beginn) + QLatin1Char(' ') + TimeToStr(j.Beginn)
                + QStringLiteral("). Das Verbindungsprotokoll ihres Monats ist voll (600 Verbindungen); sie "
                                 "wurde nicht gespeichert.");
        return ergebnis;
    }
    const TSpeicherErgebnis gespeichert = speichern();
    if (!gespeichert.Ok) {
        Daten.Benutzer[j.Benutzer].Monate[monat] = vorher;
        Daten.Benutzer[j.Benutzer].MonatNr = vorherMonatNr;
        ergebnis.JournalBleibt = true;
        const QString fehler = SpeicherFehlerText(gespeichert);
        if (!fehler.isEmpty())
            ergebnis.Meldungen << fehler;
        ergebnis.Meldungen << QStringLiteral(
                                  "Eine nicht ordnungsgemäß beendete Verbindung kann erst protokolliert "
                                  "werden, wenn die Daten gespeichert werden können. Ihre Sicherung ")
                + Name(pfad) + QStringLiteral(" bleibt bis zum nächsten Start erhalten.");
        return ergebnis;
    }
    TVerlaufsEintrag eintrag
        = VerlaufsEintrag(j.Benutzer, j.Tarif, j.Beginn, j.Beginn + dauer, dauer, kosten);
    eintrag.Wiederhergestellt = true;
    // The connection is in "Daten.kwd" now; the next start takes it over into a log
    // that refused it.
    (void)SchreibeInVerlauf(eintrag);
    EntferneJournal(pfad);
    // Its bytes count towards the month's volume; "Daten.kwd" has no room for them.
    Volumenbuch().Trage({ j.Benutzer, MonatsIndex(j.Beginn), j.Beginn + dauer, dauer, kosten, j.Bytes });
    ergebnis.Meldungen << WiederhergestelltText(j.Beginn, dauer, kosten);
    return ergebnis;
}
