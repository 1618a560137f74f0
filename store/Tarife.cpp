#include "store/Tarife.h"

#include "store/Datenverzeichnis.h"

#include <cmath>

TTarifTabelle Tarife {};
TTarif AktTarif {};

QString TarifePfad()
{
    return DatenVerzeichnis() + QStringLiteral("/Tarife.kwt");
}

TLadeErgebnis LadeTarife()
{
    const TLadeErgebnis ergebnis = LeseDatensatz(TarifePfad(), &Tarife, sizeof Tarife, 0600);
    for (TTarif& t : Tarife.Slot)
        t.Name.Begrenze();
    return ergebnis;
}

TSpeicherErgebnis SpeichereTarife()
{
    return SchreibeDatensatz(TarifePfad(), &Tarife, sizeof Tarife, 0600);
}

void SetzeAktTarif(int n)
{
    if (n < 1 || n > MaxTarife) {
        AktTarif.Name.Leeren();
        AktTarif.Preis = 0;
        AktTarif.Grundpreis = 0;
        AktTarif.Einwahl = 0;
        return;
    }
    const TTarif& quelle = Tarife[n];
    auto endlich = [](double wert) { return std::isfinite(wert) ? wert : 0.0; };
    AktTarif.Name.Setze(quelle.Name.Text());
    AktTarif.Preis = endlich(quelle.Preis);
    AktTarif.Grundpreis = endlich(quelle.Grundpreis);
    AktTarif.Einwahl = endlich(quelle.Einwahl);
}

void LeereTarif(TTarif& tarif)
{
    tarif.Name.Leeren();
    tarif.Preis = 0;
    tarif.Grundpreis = 0;
    tarif.Einwahl = 0;
}
