// Where a tariff's rules file lives: "Tarife/<Tarifname>.rst" in the data directory,
// beside "Tarife.kwt", which keeps its layout and its three numbers.
#pragma once

#include "platform/posix/Dateien.h"

#include <QByteArray>
#include <QString>

QString RegelVerzeichnis();
// A '/' in the name becomes '_', so every name stays one file in that folder.
QString RegelPfad(const QString& tarifname);

// Rules files are a few lines; anything longer than this is no rules file.
constexpr size_t RegeldateiHoechstens = 256 * 1024;

// The file's bytes; Fehlt for a tariff without rules (or without a name).
TKleineDatei LeseRegeldatei(const QString& tarifname);
// Replaces the file crash-safely (creating the folder when needed).
TSpeicherErgebnis SchreibeRegeldatei(const QString& tarifname, const QByteArray& inhalt);
// A missing file counts as removed.
TSpeicherErgebnis EntferneRegeldatei(const QString& tarifname);
// The rules follow a renamed tariff; a tariff without rules has nothing to move.
TSpeicherErgebnis BenenneRegeldateiUm(const QString& alterName, const QString& neuerName);
