// Starting with the desktop session: an entry in the XDG autostart folder,
// $XDG_CONFIG_HOME/autostart/kostenwolf.desktop (~/.config when the variable is unset).
// Together with "Minimiert starten" this makes the program a meter that waits in the
// tray from the login on.
#pragma once

#include <QString>

QString AutostartDatei();

// Whether the entry is there. An entry that the desktop's own settings switched off
// (Hidden=true) counts as not there.
bool StartetBeimAnmelden();

// Writes the entry, starting the given program, or removes it. False when the folder
// or the file could not be written or removed; what was there then stays.
bool SetzeStartBeimAnmelden(bool an, const QString& programm);

// The program as the Exec key of a desktop entry takes it: quoted, with the
// characters that quoting and the key's own escapes reserve escaped.
QString ExecWert(const QString& programm);
