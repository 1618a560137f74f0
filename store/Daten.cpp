#include "store/Daten.h"

#include "store/Datenverzeichnis.h"
#include "store/Tarife.h"

#include <QDir>
#include <QFileInfo>

TDaten Daten {};
uint8_t AktBenutzer = 0;

QString DatenPfad()
{
    return DatenVerzeichnis() + QStringLiteral("/Daten.kwd");
}

QStringList DatenOrdner()
{
    QStringList ordner { QDir::cleanPath(QDir(DatenVerzeichnis()).absolutePath()) };
    for (const QString& datei : { DatenPfad(), TarifePfad() })
        ordner << QFileInfo(VerweisZiel(datei)).absolutePath();
    for (QString& o : ordner) {
        const QString echt = QFileInfo(o).canonicalFilePath();
        if (!echt.isEmpty())
            o = echt;
    }
    ordner.sort();
    ordner.removeDuplicates();
    return ordner;
}

TLadeErgebnis LadeDaten()
{
    const TLadeErgebnis ergebnis = LeseDatensatz(DatenPfad(), &Daten, sizeof Daten, 0600);
    BegrenzeDaten(Daten);
    return ergebnis;
}

TSpeicherErgebnis SpeichereDaten()
{
    // The file holds passwords: readable by its owner only.
    return SchreibeDatensatz(DatenPfad(), &Daten, sizeof Daten, 0600);
}

void BegrenzeDaten(TDaten& daten)
{
    if (daten.BenutzerAnzahl > MaxBenutzer)
        daten.BenutzerAnzahl = MaxBenutzer;
    if (daten.StartBenutzer > MaxBenutzer)
        daten.StartBenutzer = 1;
    for (TBenutzer& b : daten.Benutzer.Eintrag) {
        b.Name.Begrenze();
        b.Kennwort.Begrenze();
        if (b.TarifNr > MaxTarife)
            b.TarifNr = 0;
        if (b.MonatNr > 12)
            b.MonatNr = 0;
        // The 31,200 log entries are not walked here: their names are only ever read
        // through Text(), which stops at the capacity.
    }
}

void LeereMonat(TMonat& monat)
{
    for (TVerbindung& v : monat.Verbindungen) {
        v.Tarif.Leeren();
        v.Datum = 0;
        v.Dauer = 0;
        v.Kosten = 0;
    }
    monat.SummeDauer = 0;
    monat.SummeKosten = 0;
}

int AnzahlVerbindungen(const TMonat& monat)
{
    int n = 0;
    while (n < MaxVerbindungen && !monat.Verbindungen[n].Tarif.Leer())
        ++n;
    return n;
}
