#include "store/Startablauf.h"

#include "store/Daten.h"

void RichteErstenStartEin()
{
    if (Daten.BenutzerAnzahl != 0)
        return;
    Daten.BenutzerAnzahl = 1;
    Daten.Benutzer[1].Name.Setze(StandardbenutzerName);
    Daten.StartBenutzer = 1;
}

int AnzumeldenderBenutzer()
{
    const int u = Daten.StartBenutzer;
    if (!VorhandenerBenutzer(u))
        return 1;
    return u;
}

bool HatKennwort(int u)
{
    return GueltigerBenutzer(u) && !Daten.Benutzer[u].Kennwort.Leer();
}

bool KennwortPasst(int u, const QString& eingabe)
{
    if (!GueltigerBenutzer(u))
        return false;
    return Daten.Benutzer[u].Kennwort.Text() == eingabe;
}

void WechsleMonat(int monat)
{
    if (monat < 1 || monat > 12)
        return;
    const int anzahl = Daten.BenutzerAnzahl <= MaxBenutzer ? Daten.BenutzerAnzahl : MaxBenutzer;
    for (int u = 1; u <= anzahl; ++u) {
        TBenutzer& b = Daten.Benutzer[u];
        if (b.MonatNr == monat)
            continue;
        LeereMonat(b.Monate[monat]);
        b.MonatNr = uint8_t(monat);
    }
}
