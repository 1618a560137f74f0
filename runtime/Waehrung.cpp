#include "runtime/Waehrung.h"

TWaehrung Waehrung = TWaehrung::DM;

QString WaehrungsZeichen(TWaehrung waehrung)
{
    return waehrung == TWaehrung::EUR ? QStringLiteral("€") : QStringLiteral("DM");
}

QString WaehrungsName(TWaehrung waehrung)
{
    return waehrung == TWaehrung::EUR ? QStringLiteral("Euro") : QStringLiteral("DM");
}

QString KleineEinheit(TWaehrung waehrung)
{
    return waehrung == TWaehrung::EUR ? QStringLiteral("ct") : QStringLiteral("Pf.");
}

QString MitWaehrung(const QString& betrag, TWaehrung waehrung)
{
    return betrag + QLatin1Char(' ') + WaehrungsZeichen(waehrung);
}

QString MitWaehrungInKlammern(const QString& spalte, TWaehrung waehrung)
{
    return spalte + QStringLiteral(" (") + WaehrungsZeichen(waehrung) + QLatin1Char(')');
}

QString WaehrungsKennung(TWaehrung waehrung)
{
    return waehrung == TWaehrung::EUR ? QStringLiteral("EUR") : QStringLiteral("DM");
}

std::optional<TWaehrung> WaehrungAusKennung(const QString& kennung)
{
    const QString k = kennung.trimmed();
    if (k.compare(QStringLiteral("DM"), Qt::CaseInsensitive) == 0)
        return TWaehrung::DM;
    if (k.compare(QStringLiteral("EUR"), Qt::CaseInsensitive) == 0 || k == QStringLiteral("€")
        || k.compare(QStringLiteral("Euro"), Qt::CaseInsensitive) == 0)
        return TWaehrung::EUR;
    return std::nullopt;
}
