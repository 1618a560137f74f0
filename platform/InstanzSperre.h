// The lock that serialises starting instances: held only while an instance sets itself up
// or hands over, like a named mutex owned for that time. It is a kernel lock on an open
// file, so it goes with the process that held it however that process ended; what the
// file contains means nothing, and a leftover file never blocks a start.
#pragma once

#include <QString>

class TInstanzSperre {
public:
    enum TErgebnis { Erhalten, Zeitueberschreitung, Fehler };

    explicit TInstanzSperre(const QString& pfad);
    ~TInstanzSperre();
    TInstanzSperre(const TInstanzSperre&) = delete;
    TInstanzSperre& operator=(const TInstanzSperre&) = delete;

    [[nodiscard]] TErgebnis Warte(int millisekunden);
    void Freigeben();
    bool Gehalten() const { return fd >= 0; }
    QString Pfad() const { return pfad; }
    QString Fehlertext() const { return fehlertext; }

private:
    QString pfad;
    QString fehlertext;
    int fd = -1;
};

enum class [[nodiscard]] TDatenSperre {
    Gehalten, // held by this process until it ends
    Belegt, // another living process holds it
    NichtMoeglich, // the folder cannot be opened or offers no such lock ('grund' says why)
};

// The lock that keeps two instances off the same data files, whichever folder their
// guards use: a kernel lock on a folder holding them, so nothing is added beside the
// files, held for the rest of this process's life. Waits a while for a holder that is
// ending: an instance closes its socket before its last saves.
TDatenSperre SperreDatenverzeichnis(
    const QString& verzeichnis, int millisekunden = 0, QString* grund = nullptr);
