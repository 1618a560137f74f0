// Writes an exported report to the file the user chose. The file is replaced in one
// step (temporary file beside it, then rename), so a failed export leaves either the
// old file or none, never half a report.
#pragma once

#include <QByteArray>
#include <QString>

enum class [[nodiscard]] TExportErgebnis {
    Geschrieben,
    NichtErstellt, // the file could not be created (no such folder, no right to write)
    StreamFehler, // created, but writing or replacing failed (disk full...)
};

TExportErgebnis SchreibeBerichtsDatei(const QString& pfad, const QByteArray& inhalt);

// The text to show for a failed export; empty for success.
QString ExportFehlerText(TExportErgebnis ergebnis, const QString& pfad);
