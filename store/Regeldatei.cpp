#include "store/Regeldatei.h"

#include "store/Datenverzeichnis.h"

#include <QDir>
#include <QFile>

QString RegelVerzeichnis()
{
    return DatenVerzeichnis() + QStringLiteral("/Tarife");
}

QString RegelPfad(const QString& tarifname)
{
    QString datei = tarifname;
    datei.replace(QLatin1Char('/'), QLatin1Char('_'));
    return RegelVerzeichnis() + QLatin1Char('/') + datei + QStringLiteral(".rst");
}

TKleineDatei LeseRegeldatei(const QString& tarifname)
{
    if (tarifname.isEmpty())
        return {};
    return LeseKleineDatei(RegelPfad(tarifname), RegeldateiHoechstens);
}

TSpeicherErgebnis SchreibeRegeldatei(const QString& tarifname, const QByteArray& inhalt)
{
    const QString pfad = RegelPfad(tarifname);
    if (tarifname.isEmpty() || !QDir().mkpath(RegelVerzeichnis())) {
        TSpeicherErgebnis ergebnis;
        ergebnis.Ok = false;
        ergebnis.Pfad = pfad;
        ergebnis.Grund = tarifname.isEmpty() ? QStringLiteral("Der Tarif hat keinen Namen.")
                                             : QStringLiteral("Der Ordner kann nicht angelegt werden.");
        return ergebnis;
    }
    return ErsetzeDatei(pfad, inhalt.constData(), size_t(inhalt.size()), true);
}

TSpeicherErgebnis EntferneRegeldatei(const QString& tarifname)
{
    if (tarifname.isEmpty())
        return {};
    return EntferneDatei(RegelPfad(tarifname));
}

TSpeicherErgebnis BenenneRegeldateiUm(const QString& alterName, const QString& neuerName)
{
    if (RegelPfad(alterName) == RegelPfad(neuerName))
        return {};
    const TKleineDatei alt = LeseRegeldatei(alterName);
    if (alt.art == TKleineDatei::Fehlt)
        return {};
    if (alt.art == TKleineDatei::Unlesbar) {
        TSpeicherErgebnis ergebnis;
        ergebnis.Ok = false;
        ergebnis.Pfad = RegelPfad(alterName);
        ergebnis.Grund = alt.Grund;
        return ergebnis;
    }
    // Written under the new name first: a crash in between leaves the rules twice, never
    // lost.
    const TSpeicherErgebnis neu = SchreibeRegeldatei(neuerName, alt.Inhalt);
    return neu.Ok ? EntferneRegeldatei(alterName) : neu;
}
