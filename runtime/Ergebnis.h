// The outcome of an operation that may fail: nothing when it was done, else the German
// reason for the user. Saves of the program's own files report a TSpeicherErgebnis
// (which also names the file and whether it is locked); everything else reports this.
#pragma once

#include <QString>

struct [[nodiscard]] TErgebnis {
    QString Fehler; // the reason; empty when done

    bool Ok() const { return Fehler.isEmpty(); }

    static TErgebnis Erfolg() { return {}; }
    static TErgebnis Fehlschlag(const QString& grund) { return { grund }; }
};
