#include "store/Tarife.h"

#include "store/Datenverzeichnis.h"

#include <cmath>
TTarifTabelle Tarife {};
#include "store/Datenverzeichnis.h"
TTarif AktTarif {};
#include "store/Datenverzeichnis.h"
QString TarifePfad()
#include "store/Datenverzeichnis.h"
{
#include "store/Datenverzeichnis.h"
    return DatenVerzeichnis() + QStringLiteral("/Tarife.kwt");
#include "store/Datenverzeichnis.h"
}
#include "store/Datenverzeichnis.h"
TLadeErgebnis LadeTarife()
#include "store/Datenverzeichnis.h"
{
#include "store/Datenverzeichnis.h"
    const TLadeErgebnis ergebnis = LeseDatensatz(TarifePfad(), &Tarife, sizeof Tarife, 0644);
#include "store/Datenverzeichnis.h"
    for (TTarif& t : Tarife.Slot)
#include "store/Datenverzeichnis.h"
        t.Name.Begrenze();
#include "store/Datenverzeichnis.h"
    return ergebnis;
#include "store/Datenverzeichnis.h"
}
#include "store/Datenverzeichnis.h"
TSpeicherErgebnis SpeichereTarife()
#include "store/Datenverzeichnis.h"
{
#include "store/Datenverzeichnis.h"
    return SchreibeDatensatz(TarifePfad(), &Tarife, sizeof Tarife, 0644);
#include "store/Datenverzeichnis.h"
}
#include "store/Datenverzeichnis.h"
void SetzeAktTarif(int n)
#include "store/Datenverzeichnis.h"
{
#include "store/Datenverzeichnis.h"
    if (n < 1 || n > MaxTarife) {
#include "store/Datenverzeichnis.h"
        AktTarif.Name.Leeren();
#include "store/Datenverzeichnis.h"
        AktTarif.Preis = 0;
#include "store/Datenverzeichnis.h"
        AktTarif.Grundpreis = 0;
#include "store/Datenverzeichnis.h"
        AktTarif.Einwahl = 0;
#include "store/Datenverzeichnis.h"
        return;
#include "store/Datenverzeichnis.h"
    }
#include "store/Datenverzeichnis.h"
    const TTarif& quelle = Tarife[n];
#include "store/Datenverzeichnis.h"
    auto endlich = [](double wert) { return std::isfinite(wert) ? wert : 0.0; };
#include "store/Datenverzeichnis.h"
    AktTarif.Name.Setze(quelle.Name.Text());
#include "store/Datenverzeichnis.h"
    AktTarif.Preis = endlich(quelle.Preis);
#include "store/Datenverzeichnis.h"
    AktTarif.Grundpreis = endlich(quelle.Grundpreis);
#include "store/Datenverzeichnis.h"
    AktTarif.Einwahl = endlich(quelle.Einwahl);
#include "store/Datenverzeichnis.h"
}
#include "store/Datenverzeichnis.h"
void LeereTarif(TTarif& tarif)
#include "store/Datenverzeichnis.h"
{
#include "store/Datenverzeichnis.h"
    tarif.Name.Leeren();
#include "store/Datenverzeichnis.h"
    tarif.Preis = 0;
#include "store/Datenverzeichnis.h"
    tarif.Grundpreis = 0;
#include "store/Datenverzeichnis.h"
    tarif.Einwahl = 0;
#include "store/Datenverzeichnis.h"
}
