// The lock that serialises starting instances: held only while an instance sets itself up
// or hands over, like a named mutex owned for that time. A lock left behind by a process
// that died is recognised as stale and taken over.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

class TInstanzSperre {
public:
    enum TErgebnis { Erhalten, Zeitueberschreitung, Fehler };

    explicit TInstanzSperre(const QString& pfad);
    ~TInstanzSperre();

    TErgebnis Warte(int millisekunden);
    void Freigeben();
    bool Gehalten() const;
    QString Pfad() const { return pfad; }
    QString Fehlertext() const { return fehlertext; }

private:
    QString pfad;
    QString fehlertext;
    std::unique_ptr<QLockFile> sperre;
};
