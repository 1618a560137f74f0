#include "core/TarifZeiten.h"

#include "core/TarifVerwaltung.h"
#include "runtime/Format.h"
#include "store/Regeldatei.h"
#include "store/Tarife.h"

#include <QFileInfo>

namespace {

QString MitKomma(QString text)
{
    return text.replace(QLatin1Char('.'), FormatSettings.DecimalSeparator);
}

QString MitPunkt(QString text)
{
    return text.trimmed().replace(FormatSettings.DecimalSeparator, QLatin1Char('.'));
}

bool Belegt(int slot)
{
    return slot >= 1 && slot <= MaxTarife && !Tarife[slot].Name.Leer();
}

std::optional<QString> Vorne(const char* feld, const std::optional<QString>& fehler)
{
    if (!fehler)
        return std::nullopt;
    return QString::fromUtf8(feld) + QStringLiteral(": ") + *fehler;
}

std::optional<QString> LiesZeile(const TZeitenZeile& z, TZeitregel& r)
{
    if (auto f = LiesTage(z.Tage, r.Tage))
        return f;
    if (z.Von.trimmed().isEmpty() && z.Bis.trimmed().isEmpty()) {
        r.Von = 0;
        r.BisEnde = int32_t(MSecsPerDay);
    }
    else {
        if (auto f = LiesUhrzeit(z.Von, false, r.Von))
            return f;
        if (auto f = LiesUhrzeit(z.Bis, true, r.BisEnde))
            return f;
    }
    if (auto f = LiesPreis(MitPunkt(z.Preis), r.PreisPf))
        return f;
    if (auto f = LiesSekunden(MitPunkt(z.Einheit), true, r.EinheitMs))
        return f;
    if (z.AbSekunde.trimmed().isEmpty())
        return std::nullopt;
    return LiesSekunden(MitPunkt(z.AbSekunde), false, r.AbMs);
}

// Empty fields are no price by volume and no included volume.
std::optional<QString> LiesVolumenpreis(const TZeitenEingabe& e, TVolumenpreis& v)
{
    const QString preis = e.VolumenPreis.trimmed();
    if (auto f = LiesPreis(preis.isEmpty() ? QStringLiteral("0") : MitPunkt(preis), v.PreisPf))
        return f;
    if (!e.VolumenBlock.trimmed().isEmpty()) {
        if (auto f = LiesVolumen(e.VolumenBlock, true, v.Block))
            return f;
    }
    else if (v.PreisPf != 0) {
        return QStringLiteral("Bitte angeben, je wie viele MB oder kB der Preis gilt.");
    }
    if (e.Inklusivvolumen.trimmed().isEmpty())
        return std::nullopt;
    return LiesVolumen(e.Inklusivvolumen, false, v.Inklusiv);
}

} // namespace

QString KeineBytesHinweis()
{
    if (Volumenbuch().MeldetBytes() != false)
        return {};
    return QStringLiteral("Die Verbindungsquelle meldet keine Datenmenge. Ein Preis je Datenvolumen "
                          "wird mit 0 Bytes berechnet.");
}

TRegelnDesTarifs LadeRegelnDesTarifs(const QString& tarifname)
{
    TRegelnDesTarifs ergebnis;
    const TKleineDatei datei = LeseRegeldatei(tarifname);
    switch (datei.art) {
    case TKleineDatei::Fehlt:
        return ergebnis;
    case TKleineDatei::Unlesbar:
        ergebnis.art = TRegelnDesTarifs::Fehlerhaft;
        ergebnis.Fehler = datei.Grund;
        return ergebnis;
    case TKleineDatei::Gelesen:
        break;
    }
    if (size_t(datei.Inhalt.size()) > RegeldateiHoechstens) {
        ergebnis.art = TRegelnDesTarifs::Fehlerhaft;
        ergebnis.Fehler = QStringLiteral("Die Datei ist zu groß.");
        return ergebnis;
    }
    const TRegelnGelesen gelesen = LiesTarifregeln(datei.Inhalt);
    ergebnis.art = gelesen.Regeln ? TRegelnDesTarifs::Geladen : TRegelnDesTarifs::Fehlerhaft;
    ergebnis.Regeln = gelesen.Regeln;
    ergebnis.Fehler = gelesen.Fehler;
    return ergebnis;
}

QString RegelnFehlerText(const QString& tarifname, const QString& grund)
{
    return QStringLiteral(
        "Die Zeiten des Tarifs \u201E%1\u201C können nicht gelesen werden (%2). Die Verbindung "
        "wird nach dem Minutenpreis berechnet.")
        .arg(tarifname, grund);
}

TZeitenEingabe ZeitenEingabeAus(const TTarifregeln& r)
{
    TZeitenEingabe e;
    e.StandardPreis = MitKomma(RegelPreisText(r.StandardPf));
    e.StandardEinheit = MitKomma(SekundenText(r.StandardEinheitMs));
    e.ProVerbindung = MitKomma(RegelPreisText(r.ProVerbindungPf));
    e.ErsterBlockPreis = MitKomma(RegelPreisText(r.ErsterBlockPf));
    e.ErsterBlockSekunden = MitKomma(SekundenText(r.ErsterBlockMs));
    e.Mindestpreis = MitKomma(RegelPreisText(r.MindestPf));
    e.VolumenPreis = MitKomma(RegelPreisText(r.Volumen.PreisPf));
    if (r.Volumen.Block > 0)
        e.VolumenBlock = VolumenEingabeText(r.Volumen.Block);
    if (r.Volumen.Inklusiv > 0)
        e.Inklusivvolumen = VolumenEingabeText(r.Volumen.Inklusiv);
    for (const TZeitregel& regel : r.Regeln) {
        TZeitenZeile z;
        z.Tage = TageText(regel.Tage);
        if (regel.Von != 0 || regel.BisEnde != MSecsPerDay) {
            z.Von = UhrzeitText(regel.Von, false);
            z.Bis = UhrzeitText(regel.BisEnde, true);
        }
        z.Preis = MitKomma(RegelPreisText(regel.PreisPf));
        z.Einheit = MitKomma(SekundenText(regel.EinheitMs));
        if (regel.AbMs > 0)
            z.AbSekunde = MitKomma(SekundenText(regel.AbMs));
        e.Zeilen.push_back(z);
    }
    return e;
}

TZeitenGelesen LiesZeitenEingabe(const TZeitenEingabe& e)
{
    TZeitenGelesen ergebnis;
    TTarifregeln r;
    std::optional<QString> fehler
        = Vorne("Preis je Einheit", LiesPreis(MitPunkt(e.StandardPreis), r.StandardPf));
    if (!fehler)
        fehler = Vorne("Einheit", LiesSekunden(MitPunkt(e.StandardEinheit), true, r.StandardEinheitMs));
    if (!fehler)
        fehler = Vorne("Je Verbindung", LiesPreis(MitPunkt(e.ProVerbindung), r.ProVerbindungPf));
    if (!fehler)
        fehler = Vorne("Erster Block", LiesPreis(MitPunkt(e.ErsterBlockPreis), r.ErsterBlockPf));
    if (!fehler)
        fehler = Vorne("Erster Block", LiesSekunden(MitPunkt(e.ErsterBlockSekunden), false, r.ErsterBlockMs));
    if (!fehler)
        fehler = Vorne("Mindestens", LiesPreis(MitPunkt(e.Mindestpreis), r.MindestPf));
    if (!fehler)
        fehler = Vorne("Datenvolumen", LiesVolumenpreis(e, r.Volumen));
    if (fehler) {
        ergebnis.Fehler = *fehler;
        return ergebnis;
    }
    for (size_t i = 0; i < e.Zeilen.size(); ++i) {
        const TZeitenZeile& z = e.Zeilen[i];
        if ((z.Tage + z.Von + z.Bis + z.Preis + z.Einheit + z.AbSekunde).trimmed().isEmpty())
            continue;
        TZeitregel regel;
        if (const auto f = LiesZeile(z, regel)) {
            ergebnis.Fehler = QStringLiteral("Zeile %1: %2").arg(i + 1).arg(*f);
            return ergebnis;
        }
        r.Regeln.push_back(regel);
    }
    ergebnis.Regeln = r;
    return ergebnis;
}

std::optional<TTarifregeln> ZeitenDesTarifs(int slot, QString& fehler)
{
    if (!Belegt(slot))
        return std::nullopt;
    const TTarif& tarif = Tarife[slot];
    const TRegelnDesTarifs geladen = LadeRegelnDesTarifs(tarif.Name.Text());
    switch (geladen.art) {
    case TRegelnDesTarifs::Keine: {
        TTarifregeln r = MinutenRegeln(tarif.Preis, tarif.Einwahl);
        r.Name = tarif.Name.Text();
        return r;
    }
    case TRegelnDesTarifs::Geladen:
        return geladen.Regeln;
    case TRegelnDesTarifs::Fehlerhaft:
        break;
    }
    fehler = QStringLiteral("Die Zeiten des Tarifs können nicht gelesen werden: %1 (%2)")
                 .arg(geladen.Fehler, RegelPfad(tarif.Name.Text()));
    return std::nullopt;
}

TSpeicherErgebnis SpeichereZeiten(int slot, const TTarifregeln& regeln)
{
    if (!Belegt(slot)) {
        TSpeicherErgebnis ergebnis;
        ergebnis.Ok = false;
        ergebnis.Grund = QStringLiteral("Der Tarif ist nicht mehr vorhanden.");
        return ergebnis;
    }
    TTarifregeln r = regeln;
    r.Name = Tarife[slot].Name.Text();
    return SchreibeRegeldatei(r.Name, SchreibeTarifregeln(r));
}

TImport PruefeImport(const QByteArray& bytes, const QString& dateiname)
{
    TImport import;
    if (size_t(bytes.size()) > RegeldateiHoechstens) {
        import.Fehler = QStringLiteral("Die Datei ist zu groß für eine Tarifbeschreibung.");
        return import;
    }
    const TRegelnGelesen gelesen = LiesTarifregeln(bytes);
    if (!gelesen.Regeln) {
        import.Fehler = gelesen.Fehler;
        return import;
    }
    import.Warnungen = gelesen.Warnungen;
    const QString name = gelesen.Regeln->Name.trimmed().isEmpty() ? QFileInfo(dateiname).completeBaseName()
                                                                  : gelesen.Regeln->Name.trimmed();
    import.Name = GespeicherterTarifName(name).trimmed();
    if (import.Name.isEmpty()) {
        import.Fehler = QStringLiteral("Die Datei nennt keinen Namen für den Tarif.");
        return import;
    }
    import.Regeln = gelesen.Regeln;
    import.Regeln->Name = import.Name;
    import.VorhandenerSlot = TarifNachName(import.Name);
    return import;
}

QString ErsetzenFrage(const TImport& import)
{
    return QStringLiteral("Es gibt schon einen Tarif \u201E%1\u201C. Soll er ersetzt werden?")
        .arg(import.Name);
}

TImportErgebnis FuehreImportAus(const TImport& import)
{
    TImportErgebnis ergebnis;
    if (!import.Regeln)
        return ergebnis;
    const int slot = import.VorhandenerSlot ? import.VorhandenerSlot : ErsterFreierTarif();
    if (slot == 0) {
        TTarifErgebnis keinPlatz;
        keinPlatz.art = TTarifErgebnis::KeinPlatz;
        ergebnis.Fehler = keinPlatz.Meldung({});
        return ergebnis;
    }
    const TSpeicherErgebnis gespeichert
        = SchreibeRegeldatei(import.Name, SchreibeTarifregeln(*import.Regeln));
    if (!gespeichert.Ok) {
        ergebnis.Fehler = QStringLiteral("Die Zeiten können nicht gespeichert werden: %1 (%2)")
                              .arg(gespeichert.Pfad, gespeichert.Grund);
        return ergebnis;
    }
    // The table's numbers say what a minute costs by day, for anything that reads only
    // "Tarife.kwt".
    const TTarifregeln& r = *import.Regeln;
    TTarif& tarif = Tarife[slot];
    const double grundpreis = import.VorhandenerSlot ? tarif.Grundpreis : 0;
    tarif.Name.Setze(import.Name);
    tarif.Preis = r.StandardPf * 60'000.0 / double(r.StandardEinheitMs);
    tarif.Einwahl = r.ProVerbindungPf;
    tarif.Grundpreis = grundpreis;
    ergebnis.Slot = slot;
    return ergebnis;
}

std::optional<QByteArray> ExportText(int slot, QString& fehler)
{
    std::optional<TTarifregeln> r = ZeitenDesTarifs(slot, fehler);
    if (!r)
        return std::nullopt;
    r->Name = Tarife[slot].Name.Text();
    return SchreibeTarifregeln(*r);
}
