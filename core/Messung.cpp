#include "core/Messung.h"

#include "core/Verlaufseintrag.h"
#include "runtime/Format.h"
#include "store/Daten.h"
#include "store/Startablauf.h"

#include <algorithm>

const QString MonatVollText = QStringLiteral("Das Verbindungsprotokoll dieses Monats ist voll (600 "
                                             "Verbindungen). Die Verbindung wurde nicht gespeichert.");

namespace {

TDateTime AlsTage(int64_t ms)
{
    return double(ms) / double(MSecsPerDay);
}

QString UhrzeitKurz(TDateTime wann)
{
    int stunde, minute, sekunde, msek;
    DecodeTime(wann, stunde, minute, sekunde, msek);
    return QStringLiteral("%1:%2").arg(stunde, 2, 10, QLatin1Char('0')).arg(minute, 2, 10, QLatin1Char('0'));
}

QString KostetText(double kosten)
{
    return QStringLiteral("Die Verbindung kostete: ") + BetragText(kosten);
}

} // namespace

TMessung::TMessung(
    TWanduhr wanduhr, TMonotoneUhr monoton, TSpeichern speichern, TMonotoneUhr wach, TRegelnLaden regelnLaden)
    : FWanduhr(std::move(wanduhr))
    , FMonoton(std::move(monoton))
    , FSpeichern(std::move(speichern))
    , FRegelnLaden(std::move(regelnLaden))
    , FWach(std::move(wach))
{
}

std::optional<TLaufendeVerbindung> TMessung::Laufend() const
{
    if (!FMisst)
        return std::nullopt;
    TLaufendeVerbindung v;
    v.Benutzer = AktBenutzer;
    if (AktBenutzer >= 1 && AktBenutzer <= MaxBenutzer)
        v.TarifNr = Daten.Benutzer[AktBenutzer].TarifNr;
    v.Tarif = AktTarif;
    v.Beginn = FBeginn;
    v.DauerMs = FDauerMs;
    v.Kosten = FKosten;
    if (FLauf)
        v.Regeln = FRegelText;
    v.Bytes = FZaehler.Summe();
    return v;
}

TMessErgebnis TMessung::Verbunden()
{
    TMessErgebnis ergebnis;
    if (!FMisst && !FOffenGehalten) {
        // A connection of a new month goes into a slot already turned: the idle check
        // may not have come round since midnight.
        if (FFreigegeben)
            WechsleMonatFallsNoetig(ergebnis);
        FBeginn = FWanduhr();
        FBeginnMs = FMonoton();
        FSchlafMs = FBeginnMs - FWach();
        FWachNachSchlaf.reset();
        FLetzteWand = FBeginn;
        FDauerMs = 0;
        FKosten = 0;
        FLaufTarif.reset();
        FLauf.reset();
        // The counters as the connection is found: what they grow by from here is its.
        FZaehler = TBytezaehler();
        if (FByteLeser)
            FZaehler.Lies(FByteLeser());
        ergebnis.ZeitText = QStringLiteral("00:00:00");
        ergebnis.KostenText = NullBetragText();
        ergebnis.VolumenText = VolumenText(FZaehler.Summe());
        if (FFreigegeben) {
            FMisst = true;
            ergebnis.MessungBegonnen = true;
        }
        else {
            // Nobody is logged in yet: metered from this moment once start-up is done.
            FOffenGehalten = true;
        }
    }
    ergebnis.TickLaeuft = FMisst;
    ergebnis.Laufend = Laufend();
    return ergebnis;
}

TMessErgebnis TMessung::Tick()
{
    if (!FMisst)
        return PruefeMonat();
    TMessErgebnis ergebnis;
    Tickt(ergebnis);
    ergebnis.TickLaeuft = true;
    ergebnis.Laufend = Laufend();
    return ergebnis;
}

bool TMessung::Geschlafen(int64_t jetztMs, int64_t wachMs) const
{
    return FWachNachSchlaf || jetztMs - wachMs - FSchlafMs > SchlafSchwelleMs;
}

void TMessung::Tickt(TMessErgebnis& ergebnis)
{
    const int64_t jetztMs = FMonoton();
    const int64_t wachMs = FWach();
    if (jetztMs - wachMs - FSchlafMs > SchlafSchwelleMs) {
        // The machine slept since the last tick. Whether the link lasted through it, only
        // the detector's next poll tells; until then nothing more is billed.
        FSchlafMs = jetztMs - wachMs;
        FWachNachSchlaf = wachMs;
        return;
    }
    FSchlafMs = jetztMs - wachMs;
    if (FWachNachSchlaf && wachMs - *FWachNachSchlaf < BestaetigungNachSchlafMs)
        return;
    // Still up after the sleep: the provider billed all of it.
    FWachNachSchlaf.reset();
    FDauerMs = std::max<int64_t>(0, jetztMs - FBeginnMs);
    FLetzteWand = FWanduhr();
    const TDateTime dauer = GanzeSekunden(FDauerMs);
    FolgeTarif(ergebnis);
    if (FByteLeser)
        FZaehler.Lies(FByteLeser());
    const double volumen = Volumen(ergebnis);
    ergebnis.ZeitText = DauerToStr(dauer);
    ergebnis.BezahltText = QString();
    ergebnis.WechselText = QString();
    QString bezahlt;
    if (FLauf) {
        const TTarifStand stand = FLauf->Stand(FDauerMs);
        FKosten = stand.Kosten + volumen;
        bezahlt = TimeToStr(FLauf->Ortszeit(stand.BezahltBisMs));
        ergebnis.BezahltText = QStringLiteral("Bezahlt bis ") + bezahlt;
        if (const std::optional<TPreisWechsel> wechsel = FLauf->NaechsterWechsel(FDauerMs))
            ergebnis.WechselText = QStringLiteral("Ab %1 Uhr: %2")
                                       .arg(UhrzeitKurz(FLauf->Ortszeit(wechsel->AbMs)),
                                           PreisJeEinheitText(wechsel->PreisPf, wechsel->EinheitMs));
    }
    else {
        FKosten = PreisNachLaufzeit(FDauerMs, AktTarif) + volumen;
    }
    ergebnis.KostenText = BetragText(FKosten);
    ergebnis.Hint = *ergebnis.ZeitText + QStringLiteral(" - ") + *ergebnis.KostenText;
    if (!bezahlt.isEmpty())
        *ergebnis.Hint += QStringLiteral(" - bezahlt bis ") + bezahlt;
    if (FZaehler.Summe())
        *ergebnis.Hint += QStringLiteral(" - ") + *ergebnis.VolumenText;
}

void TMessung::FolgeTarif(TMessErgebnis& ergebnis)
{
    const QString name = AktTarif.Name.Text();
    if (FLaufTarif == name)
        return;
    FLaufTarif = name;
    FLauf.reset();
    FRegelText.clear();
    const TRegelnDesTarifs regeln = FRegelnLaden(name);
    if (regeln.art == TRegelnDesTarifs::Geladen) {
        FLauf.emplace(*regeln.Regeln, FBeginn);
        FRegelText = SchreibeTarifregeln(*regeln.Regeln);
    }
    else if (regeln.art == TRegelnDesTarifs::Fehlerhaft) {
        ergebnis.Meldungen << RegelnFehlerText(name, regeln.Fehler);
    }
}

double TMessung::Preis(TDateTime beginn, int64_t dauerMs, TMessErgebnis& ergebnis)
{
    const QString name = AktTarif.Name.Text();
    const TRegelnDesTarifs regeln = FRegelnLaden(name);
    if (regeln.art == TRegelnDesTarifs::Geladen)
        return Regelpreis(*regeln.Regeln, beginn, dauerMs);
    if (regeln.art == TRegelnDesTarifs::Fehlerhaft)
        ergebnis.Meldungen << RegelnFehlerText(name, regeln.Fehler);
    return PreisNachLaufzeit(dauerMs, AktTarif);
}

double TMessung::Volumen(TMessErgebnis& ergebnis)
{
    const std::optional<TBytestand> bytes = FZaehler.Summe();
    Volumenbuch().SetzeMeldetBytes(bytes.has_value());
    ergebnis.VolumenText = VolumenText(bytes);
    // The rules that price the time price the volume too.
    const TVolumenpreis tarif = FLauf ? FLauf->Regeln().Volumen : TVolumenpreis();
    if (!tarif.Gesetzt()) {
        ergebnis.InklusivText = QString();
        return 0;
    }
    const std::uint64_t vorher = MonatsvolumenBisher(AktBenutzer, MonatsIndex(FBeginn));
    ergebnis.InklusivText = tarif.Inklusiv > 0
        ? InklusivText(vorher + (bytes ? Gesamt(*bytes) : 0), tarif.Inklusiv)
        : QString();
    return VolumenAnteil(tarif, vorher, bytes);
}

TMessErgebnis TMessung::Getrennt()
{
    TMessErgebnis ergebnis;
    if (!FFreigegeben) {
        if (FOffenGehalten)
            FGehalten.push_back({ FBeginn, FBeginnMs, FMonoton(), FWanduhr() });
        FOffenGehalten = false;
        return ergebnis;
    }
    if (!FMisst)
        return ergebnis;
    FMisst = false;
    const int64_t jetztMs = FMonoton();
    TDateTime datum = FLetzteWand;
    // Found down at the first poll after a sleep, it ended when the machine went to
    // sleep: at the last tick before, with that tick's time and cost.
    if (!Geschlafen(jetztMs, FWach())) {
        FDauerMs = std::max<int64_t>(0, jetztMs - FBeginnMs);
        datum = FWanduhr();
    }
    FWachNachSchlaf.reset();
    // The cost stays the last tick's: a started second is not charged at the end.
    ergebnis.ZeitText = DauerToStr(AlsTage(FDauerMs));
    ergebnis.KostenText = BetragText(FKosten);
    ergebnis.Meldungen << KostetText(FKosten);
    Protokolliere(ergebnis, FBeginn, datum, FDauerMs, FKosten, FZaehler.Summe());
    Abschliessen(ergebnis, true);
    return ergebnis;
}

TMessErgebnis TMessung::Freigeben()
{
    TMessErgebnis ergebnis;
    if (FFreigegeben)
        return ergebnis;
    FFreigegeben = true;
    FMonatIndex = MonatsIndex(FWanduhr());

    const std::vector<TGehalten> gehalten = std::move(FGehalten);
    FGehalten.clear();
    for (const TGehalten& g : gehalten) {
        const int64_t dauerMs = std::max<int64_t>(0, g.EndeMs - g.BeginnMs);
        const double kosten = Preis(g.Beginn, dauerMs, ergebnis);
        ergebnis.ZeitText = DauerToStr(AlsTage(dauerMs));
        ergebnis.KostenText = BetragText(kosten);
        ergebnis.Meldungen << KostetText(kosten);
        Protokolliere(ergebnis, g.Beginn, g.Ende, dauerMs, kosten);
    }
    if (!gehalten.empty())
        Abschliessen(ergebnis, true);
    else
        ergebnis.MonatText = MonatsText(MonatsSumme(AktBenutzer));

    if (FOffenGehalten) {
        FOffenGehalten = false;
        FMisst = true;
        ergebnis.MessungBegonnen = true;
        Tickt(ergebnis);
    }
    ergebnis.TickLaeuft = FMisst;
    ergebnis.Laufend = Laufend();
    return ergebnis;
}

TMessErgebnis TMessung::PruefeMonat()
{
    TMessErgebnis ergebnis;
    if (FFreigegeben && !FMisst)
        WechsleMonatFallsNoetig(ergebnis);
    ergebnis.TickLaeuft = FMisst;
    ergebnis.Laufend = Laufend();
    return ergebnis;
}

TMessErgebnis TMessung::Schliessen()
{
    TMessErgebnis ergebnis;
    if (FMisst) {
        Tickt(ergebnis);
        FMisst = false;
        Protokolliere(ergebnis, FBeginn, FWanduhr(), FDauerMs, FKosten, FZaehler.Summe());
        ergebnis.MonatText = MonatsText(MonatsSumme(AktBenutzer));
    }
    FOffenGehalten = false;
    FGehalten.clear();
    return ergebnis;
}

void TMessung::Protokolliere(TMessErgebnis& ergebnis, TDateTime beginn, TDateTime datum, int64_t dauerMs,
    double kosten, const std::optional<TBytestand>& bytes)
{
    // Begun in a month the log has not turned to yet: turned first, or the turn that
    // follows would empty the slot it went into.
    WechsleMonatBis(MonatsIndex(beginn), ergebnis);
    TBeendeteVerbindung v;
    v.Benutzer = AktBenutzer;
    v.Tarif = AktTarif;
    v.Beginn = beginn;
    v.Datum = datum;
    v.DauerMs = dauerMs;
    v.Dauer = AlsTage(dauerMs);
    v.Kosten = kosten;
    v.Bytes = bytes;
    v.Ergebnis = ProtokolliereVerbindungImBeginnmonat(
        AktBenutzer, AktTarif, beginn, v.Dauer, kosten, FMonatIndex % 12 + 1, datum);
    if (v.Ergebnis == TProtokollErgebnis::Eingetragen)
        Volumenbuch().Trage({ AktBenutzer, MonatsIndex(beginn), datum, v.Dauer, kosten, bytes });
    if (v.Ergebnis == TProtokollErgebnis::MonatVoll)
        ergebnis.Meldungen << MonatVollText;
    if (BeiProtokoll)
        BeiProtokoll(v);
    ergebnis.Protokolliert.push_back(v);
}

void TMessung::Abschliessen(TMessErgebnis& ergebnis, bool speichern)
{
    // Nothing is metered now: the moment a month turn can take place.
    WechsleMonatFallsNoetig(ergebnis);
    ergebnis.MonatText = MonatsText(MonatsSumme(AktBenutzer));
    if (speichern) {
        ergebnis.Gespeichert = FSpeichern();
        const QString fehler = SpeicherFehlerText(*ergebnis.Gespeichert);
        if (!fehler.isEmpty())
            ergebnis.Meldungen << fehler;
    }
    SchreibeInVerlauf(ergebnis.Protokolliert);
}

bool TMessung::WechsleMonatFallsNoetig(TMessErgebnis& ergebnis)
{
    return WechsleMonatBis(MonatsIndex(FWanduhr()), ergebnis);
}

bool TMessung::WechsleMonatBis(int index, TMessErgebnis& ergebnis)
{
    if (index <= FMonatIndex)
        return false;
    FMonatIndex = index;
    WechsleMonat(index % 12 + 1);
    ergebnis.MonatGewechselt = true;
    ergebnis.MonatText = MonatsText(MonatsSumme(AktBenutzer));
    return true;
}
