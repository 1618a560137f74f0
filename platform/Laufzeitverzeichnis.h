// Where the single-instance lock and the hand-over socket live: a directory that only
// the current user can enter, so no other user can reach or disturb the running instance.
#pragma once

#include <QString>

struct TLaufzeitverzeichnis {
    QString Pfad; // empty when no safe directory could be found or made
    QString Fehler; // German reason when Pfad is empty
};

// $XDG_RUNTIME_DIR when it is a directory of ours closed to others; otherwise the folder
// "kostenwolf-<uid>" in the temporary directory, created with mode 0700 if missing.
TLaufzeitverzeichnis Laufzeitverzeichnis();

// True when pfad is a real directory (no symbolic link) owned by the current user that
// neither group nor others may enter. Sets fehler otherwise.
bool IstPrivatesVerzeichnis(const QString& pfad, QString* fehler = nullptr);
