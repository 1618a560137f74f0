#include "core/TarifVerwaltung.h"

#include "core/Zahleingabe.h"
#include "store/Daten.h"
#include "store/Regeldatei.h"

#include <QDir>
#include <optional>

namespace {
bool geaendert = false;
}

int ErsterFreierTarif()
{
    for (int k = 1; k <= MaxTarife; ++k)
        if (Tarife[k].Name.Leer())
            return k;
    return 0;
}

int TarifNachName(const QString& name)
{
    for (int k = 1; k <= MaxTarife; ++k)
        if (!Tarife[k].Name.Leer() && Tarife[k].Name.Text() == name)
            return k;
    return 0;
}

QStringList TarifNamen()
{
    QStringList namen;
    for (int k = 1; k <= MaxTarife; ++k)
        if (!Tarife[k].Name.Leer())
            namen << Tarife[k].Name.Text();
    return namen;
}

QString GespeicherterTarifName(const QString& name)
{
    TShortString<50> s {};
    s.Setze(name);
    return s.Text();
}

QString TTarifErgebnis::Meldung(const TTarifEingabe& eingabe) const
{
    switch (art) {
    case Gespeichert:
    case NichtGefunden:
        return {};
    case KeinPlatz:
        return QStringLiteral("Es gibt schon 99 Tarife! Sie können keinen weiteren hinzufügen!");
    case NameLeer:
        return QStringLiteral("Bitte geben Sie einen Namen für den Tarif ein.");
    case NameVergeben:
        return QStringLiteral("Ein Tarif mit diesem Namen existiert bereits.");
    case Negativ:
        return TarifFeldName(feld) + QStringLiteral(": bitte eine Zahl ab 0 eingeben");
    case RegelnBleiben:
        return QStringLiteral("Die Zeiten des Tarifs konnten nicht umbenannt werden: ") + Grund
            + QStringLiteral(". Der Tarif behält seinen Namen.");
    case KeineZahl:
        break;
    }
    const QString& text = feld == FeldPreis ? eingabe.Preis
        : feld == FeldEinwahl               ? eingabe.Einwahl
                                            : eingabe.Grundpreis;
    return QStringLiteral("'%1' ist kein gültiger Fließkommawert").arg(text);
}

QString TarifFeldName(TTarifErgebnis::Feld feld)
{
    switch (feld) {
    case TTarifErgebnis::FeldName:
        return QStringLiteral("Name des Tarifs");
    case TTarifErgebnis::FeldPreis:
        return QStringLiteral("Preis / Minute");
    case TTarifErgebnis::FeldEinwahl:
        return QStringLiteral("Einwahlkosten");
    case TTarifErgebnis::FeldGrundpreis:
        break;
    }
    return QStringLiteral("Grundgebühr / Monat");
}

namespace {

struct TGeprueft {
    QString Name;
    double Preis = 0, Einwahl = 0, Grundpreis = 0;
};

// Checks the fields top to bottom; 'eigenerSlot' may already bear the name.
std::optional<TGeprueft> Pruefe(const TTarifEingabe& e, int eigenerSlot, TTarifErgebnis& ergebnis)
{
    TGeprueft g;
    g.Name = GespeicherterTarifName(e.Name);
    ergebnis.Name = g.Name;
    ergebnis.feld = TTarifErgebnis::FeldName;
    if (g.Name.trimmed().isEmpty()) {
        ergebnis.art = TTarifErgebnis::NameLeer;
        return std::nullopt;
    }
    for (int k = 1; k <= MaxTarife; ++k)
        if (k != eigenerSlot && !Tarife[k].Name.Leer() && Tarife[k].Name.Text() == g.Name) {
            ergebnis.art = TTarifErgebnis::NameVergeben;
            return std::nullopt;
        }
    const struct {
        const QString& text;
        double& ziel;
        TTarifErgebnis::Feld feld;
    } zahlen[] = {
        { e.Preis, g.Preis, TTarifErgebnis::FeldPreis },
        { e.Einwahl, g.Einwahl, TTarifErgebnis::FeldEinwahl },
        { e.Grundpreis, g.Grundpreis, TTarifErgebnis::FeldGrundpreis },
    };
    for (const auto& z : zahlen) {
        const std::optional<double> wert = LiesFliesskommazahl(z.text);
        if (!wert) {
            ergebnis.art = TTarifErgebnis::KeineZahl;
            ergebnis.feld = z.feld;
            return std::nullopt;
        }
        // A negative price would bill the user a credit.
        if (*wert < 0) {
            ergebnis.art = TTarifErgebnis::Negativ;
            ergebnis.feld = z.feld;
            return std::nullopt;
        }
        z.ziel = *wert + 0.0; // no -0 into the file
    }
    return g;
}

void Schreibe(TTarif& tarif, const TGeprueft& g)
{
    tarif.Name.Setze(g.Name);
    tarif.Preis = g.Preis;
    tarif.Einwahl = g.Einwahl;
    tarif.Grundpreis = g.Grundpreis;
    geaendert = true;
}

} // namespace

TTarifErgebnis NeuerTarif(const TTarifEingabe& eingabe)
{
    TTarifErgebnis ergebnis;
    const int slot = ErsterFreierTarif();
    if (slot == 0) {
        ergebnis.art = TTarifErgebnis::KeinPlatz;
        return ergebnis;
    }
    const std::optional<TGeprueft> g = Pruefe(eingabe, 0, ergebnis);
    if (!g)
        return ergebnis;
    Schreibe(Tarife[slot], *g);
    ergebnis.Slot = slot;
    return ergebnis;
}

TTarifErgebnis TarifAendern(int slot, const TTarifEingabe& eingabe)
{
    TTarifErgebnis ergebnis;
    if (slot < 1 || slot > MaxTarife || Tarife[slot].Name.Leer()) {
        ergebnis.art = TTarifErgebnis::NichtGefunden;
        return ergebnis;
    }
    const std::optional<TGeprueft> g = Pruefe(eingabe, slot, ergebnis);
    if (!g)
        return ergebnis;
    // The tariff's rules go by its name: renamed without them, it would lose them.
    if (const TSpeicherErgebnis regeln = BenenneRegeldateiUm(Tarife[slot].Name.Text(), g->Name); !regeln.Ok) {
        ergebnis.art = TTarifErgebnis::RegelnBleiben;
        ergebnis.Grund
            = QDir::toNativeSeparators(regeln.Pfad) + QStringLiteral(" (") + regeln.Grund + QLatin1Char(')');
        return ergebnis;
    }
    Schreibe(Tarife[slot], *g);
    ergebnis.Slot = slot;
    return ergebnis;
}

bool TarifeGeaendert()
{
    return geaendert;
}

TSpeicherErgebnis SichereTarife()
{
    const TSpeicherErgebnis ergebnis = SpeichereTarife();
    if (ergebnis.Ok)
        geaendert = false;
    return ergebnis;
}

TSpeicherErgebnis SichereGeaenderteTarife()
{
    return geaendert ? SichereTarife() : TSpeicherErgebnis {};
}

void TarifLoeschen(int slot)
{
    if (slot < 1 || slot > MaxTarife)
        return;
    // A later tariff of the same name must not inherit the rules.
    // A file that cannot be removed stays; nothing else can be done about it here.
    if (!Tarife[slot].Name.Leer())
        (void)EntferneRegeldatei(Tarife[slot].Name.Text());
    LeereTarif(Tarife[slot]);
    geaendert = true;
}

void AlleTarifeLoeschen()
{
    for (int k = 1; k <= MaxTarife; ++k)
        TarifLoeschen(k);
    geaendert = true;
}

bool TarifWaehlen(int slot)
{
    if (slot < 1 || slot > MaxTarife || !GueltigerBenutzer(AktBenutzer))
        return false;
    SetzeAktTarif(slot);
    Daten.Benutzer[AktBenutzer].TarifNr = uint8_t(slot);
    return true;
}

int TarifDesAktBenutzers()
{
    if (!GueltigerBenutzer(AktBenutzer))
        return 0;
    return Daten.Benutzer[AktBenutzer].TarifNr;
}
