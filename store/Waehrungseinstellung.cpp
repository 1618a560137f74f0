#include "store/Waehrungseinstellung.h"

#include "store/Dateien.h"

#include <QFileInfo>
#include <QSettings>

QString EinstellungsPfad()
{
    return DatenVerzeichnis() + QLatin1Char('/') + EinstellungsDateiName;
}

TWaehrungsEintrag LiesWaehrung(const QString& pfad)
{
    TWaehrungsEintrag eintrag;
    const QFileInfo info(pfad);
    if (!info.exists())
        return eintrag;
    const auto fehler = [&] {
        eintrag.Fehler = QStringLiteral("Die Währung in der Einstellungsdatei \"%1\" ist nicht lesbar; "
                                        "die Beträge werden in DM angezeigt.")
                             .arg(pfad);
        return eintrag;
    };
    if (!info.isFile() || !info.isReadable())
        return fehler();
    const QSettings ini(pfad, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        return fehler();
    const QVariant wert = ini.value(QStringLiteral("Allgemein/Waehrung"));
    if (!wert.isValid())
        return eintrag;
    const std::optional<TWaehrung> waehrung = WaehrungAusKennung(wert.toString());
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
