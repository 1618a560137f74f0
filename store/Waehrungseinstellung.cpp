#include "store/Waehrungseinstellung.h"

#include "platform/posix/Dateien.h"
#include "store/Datenverzeichnis.h"
#include "store/Einstellungsdatei.h"

QString EinstellungsPfad()
{
    return DatenVerzeichnis() + QLatin1Char('/') + EinstellungsDateiName;
}

TWaehrungsEintrag LiesWaehrung(const QString& pfad)
{
    TWaehrungsEintrag eintrag;
    const TEinstellungsStand stand = LiesEinstellungen(pfad);
    if (stand.art == TEinstellungsStand::Fehlt)
        return eintrag;
    const auto fehler = [&] {
        eintrag.Fehler = QStringLiteral("Die Währung in der Einstellungsdatei \"%1\" ist nicht lesbar; "
                                        "die Beträge werden in DM angezeigt.")
                             .arg(pfad);
        return eintrag;
    };
    if (stand.art != TEinstellungsStand::Gelesen)
        return fehler();
    const std::optional<QString> wert
        = stand.Inhalt.Wert(QStringLiteral("Allgemein"), QStringLiteral("Waehrung"));
    if (!wert)
        return eintrag;
    const std::optional<TWaehrung> waehrung = WaehrungAusKennung(*wert);
    if (!waehrung)
        return fehler();
    eintrag.Waehrung = *waehrung;
    return eintrag;
}

QString LadeWaehrung()
{
    const TWaehrungsEintrag eintrag = LiesWaehrung(EinstellungsPfad());
    Waehrung = eintrag.Waehrung;
    return eintrag.Fehler;
}
