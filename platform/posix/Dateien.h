// Files on a POSIX system: records read and replaced crash-safe, small files, removal
// and setting aside, each step checked and its failure told in German.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>

// The directory of the running executable; empty when it cannot be told.
QString ProgrammVerzeichnis();
// Whether this process may write into the directory.
bool IstBeschreibbar(const QString& verzeichnis);

// Whether the folder is one a package or an installation put the program into: the
// system's folders (/usr and the like), or a "bin" beside the "share" that holds the
// program's menu entry.
bool IstInstallationsverzeichnis(const QString& verzeichnis);

struct [[nodiscard]] TLadeErgebnis {
    enum Art {
        Geladen, // read (possibly only a short file's bytes)
        Angelegt, // missing and created empty
        NichtAngelegt, // missing and could not be created: data stay as they are
        Unlesbar, // exists but cannot be read: left untouched, never saved over
    } art
        = Geladen;
    QString Grund;
};

struct [[nodiscard]] TSpeicherErgebnis {
    bool Ok = true;
    // True when the file could not be read at start-up, so this run keeps its hands off
    // it; the user has been told at start-up already.
    bool Gesperrt = false;
    QString Pfad;
    QString Grund;
};

// Reads up to 'groesse' bytes from the start of the file into 'ziel'; bytes the file
// lacks keep their previous content. A missing file is created empty with 'modus',
// whatever the umask.
TLadeErgebnis LeseDatensatz(const QString& pfad, void* ziel, size_t groesse, unsigned modus);

// Reads as LeseDatensatz, but never creates anything: a missing file is Unlesbar. For
// callers that only look at the data (the command line).
TLadeErgebnis LeseDatensatzNurLesend(const QString& pfad, void* ziel, size_t groesse);

// Replaces the first 'groesse' bytes of the file crash-safe: a temporary file in the
// same directory receives the record and the old file's tail, is flushed to disk and
// renamed over the old one. A failure leaves the old file as it was.
TSpeicherErgebnis SchreibeDatensatz(const QString& pfad, const void* quelle, size_t groesse, unsigned modus);

// A save through a symbolic link replaces the link's target in the target's directory:
// the link stays, the target keeps its owner and mode. A new file gets 'modus' exactly.

// The file a save of 'pfad' writes: the end of its chain of symbolic links, or 'pfad'.
QString VerweisZiel(const QString& pfad);

// Replaces the whole file the same way, nothing of the old one kept; a new file is
// readable by its owner only.
TSpeicherErgebnis SchreibeGanzeDatei(const QString& pfad, const QByteArray& inhalt);

// Removes the temporary files that saves of 'pfad' killed half-way left behind, beside
// it and beside its link target: only plain files of ours named as our saves name
// them. Returns how many were removed.
int RaeumeTemporaereAuf(const QString& pfad);

// The German reason for an errno value.
QString DateiFehlerGrund(int fehler);

// The text to show after a failed save, empty when there is nothing to tell.
QString SpeicherFehlerText(const TSpeicherErgebnis& ergebnis);
// The start-up text for a file that could not be read.
QString LadeFehlerText(const QString& pfad);

// Small files this program alone writes and replaces whole (the connection journal).

// Replaces the file with 'groesse' bytes: a temporary file beside it receives them, is
// flushed to disk and renamed over the old one, so a crash leaves either the old or the
// new content. The file is readable by its owner only; nothing of an old file is kept.
// 'verzeichnisSichern' also flushes the directory, which makes a newly created name
// durable; later replacements of the same name can skip that.
TSpeicherErgebnis ErsetzeDatei(
    const QString& pfad, const void* quelle, size_t groesse, bool verzeichnisSichern);

struct TKleineDatei {
    enum Art {
        Fehlt,
        Gelesen,
        Unlesbar, // exists but cannot be read, or is no regular file
    } art
        = Fehlt;
    QByteArray Inhalt; // at most 'hoechstens' + 1 bytes, so a longer file shows as such
    QString Grund;
};
// Reads a small file without ever blocking (a FIFO under the name is not waited on).
TKleineDatei LeseKleineDatei(const QString& pfad, size_t hoechstens);

// Makes the file 'vorlaeufig', written by others (a database copy), durable and renames
// it over 'pfad' in the same directory, so a crash leaves either the old or the new one.
// A failure removes 'vorlaeufig'.
TSpeicherErgebnis SetzeDateiEin(const QString& vorlaeufig, const QString& pfad);

// Removes the file and makes the removal durable. A missing file counts as removed.
TSpeicherErgebnis EntferneDatei(const QString& pfad);

// Renames the file to 'neuerName' in the same directory, or, when that name is taken, to
// 'neuerName.2', '.3' ... so that nothing set aside earlier is overwritten. Returns the
// path it now has, or an error.
TSpeicherErgebnis LegeDateiBeiseite(const QString& pfad, const QString& neuerName);
