#include "core/BerichtsDatei.h"

#include <QFileInfo>
#include <QSaveFile>

TExportErgebnis SchreibeBerichtsDatei(const QString& pfad, const QByteArray& inhalt)
{
    QSaveFile datei(pfad);
    // The month's connections are the user's own business: a new file is readable by
    // its owner only, whatever the umask; one written over keeps its mode.
    const bool neu = !QFileInfo::exists(pfad);
    if (pfad.isEmpty() || !datei.open(QIODevice::WriteOnly)
        || (neu && !datei.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)))
        return TExportErgebnis::NichtErstellt;
    if (datei.write(inhalt) != inhalt.size()) {
        datei.cancelWriting();
        datei.commit(); // discards the temporary file
        return TExportErgebnis::StreamFehler;
    }
    return datei.commit() ? TExportErgebnis::Geschrieben : TExportErgebnis::StreamFehler;
}

QString ExportFehlerText(TExportErgebnis ergebnis, const QString& pfad)
{
    switch (ergebnis) {
    case TExportErgebnis::Geschrieben:
        break;
    case TExportErgebnis::NichtErstellt:
        return QStringLiteral("Datei %1 kann nicht erstellt werden").arg(pfad);
    case TExportErgebnis::StreamFehler:
        return QStringLiteral("Das Speichern des Streams ist mißlungen");
    }
    return {};
}
