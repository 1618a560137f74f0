// Where the single-instance lock and the hand-over socket live: a directory that only
// the current user can enter, so no other user can reach or disturb the running instance.
#pragma once

#include <QString>

struct TLaufzeitverzeichnis {
    QString Pfad; // empty when no safe directory could be found or made
    QString Fehler; // German reason when Pfad is empty
};

// The first of these that is a directory of ours closed to others and short enough to
// hold a socket named with up to 'laengsterName' bytes:
// - $XDG_RUNTIME_DIR;
// - "kostenwolf" in $XDG_CACHE_HOME (or ~/.cache), created with mode 0700 if missing:
//   inside the user's home no one else can take the name first;
// - "kostenwolf-<uid>" in $TMPDIR (or /tmp when that is no directory), likewise, for
//   users without a usable home.
TLaufzeitverzeichnis Laufzeitverzeichnis(int laengsterName = 0);

// True when pfad is a real directory (no symbolic link) owned by the current user that
// neither group nor others may enter. Sets fehler otherwise.
bool IstPrivatesVerzeichnis(const QString& pfad, QString* fehler = nullptr);

// Creates the folder and whatever is missing above it, each closed to others (0700)
// whatever the umask. True when it is a folder afterwards.
[[nodiscard]] bool LegePrivatenOrdnerAn(const QString& pfad);
