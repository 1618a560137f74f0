// Keeps Kostenwolf to one running instance per user. The first instance opens a local
// socket server, reachable only by the user, for as long as it runs; a later start hands
// its first argument over to it and ends before it has shown anything.
#pragma once

#include "platform/InstanzNachricht.h"

#include <QPointer>
#include <QString>
#include <memory>
#include <optional>

class TInstanzServer;
class TInstanzSperre;

class TInstanceManager {
public:
    enum TStart {
        ErsteInstanz, // the lock is held until Registriere()
        Uebergeben, // the running instance acknowledged; this start ends
        NichtBestaetigt, // the running instance answered 0 or less; start without a server
        Zeitueberschreitung, // no lock, or no answer, in time; see Fehlertext()
        Fehler, // see Fehlertext()
    };

    // verzeichnis must be private to the user (see platform/Laufzeitverzeichnis.h).
    explicit TInstanceManager(const QString& verzeichnis);
    ~TInstanceManager();
    TInstanceManager(const TInstanceManager&) = delete;
    TInstanceManager& operator=(const TInstanceManager&) = delete;

    TStart Starte(const QByteArray& erstesArgument);
    // The first instance, once the application object exists: opens the server and only
    // then lets the next start in. The server is a child of the application object and
    // closes with it.
    bool Registriere();
    // The shut-down step: closes the server, if this instance has one.
    void Beende();

    bool Registriert() const;
    QString Fehlertext() const { return fehlertext; }
    QString SperrPfad() const;
    QString ServerPfad() const;
    // The longest file name the guard puts into its folder.
    static int LaengsterName();

    int Sperrwartezeit = 5000;
    int Antwortwartezeit = 10000;

private:
    QString verzeichnis;
    QString fehlertext;
    std::unique_ptr<TInstanzSperre> sperre;
    QPointer<TInstanzServer> server;
};

// The program's start-up step, called first thing in main, before the application
// object exists. Gives nothing when this process is to run as Kostenwolf, still holding
// the lock; exit code 0 when a running instance took the hand-over. Whatever else keeps
// this start from running (no safe folder for the guard, a running instance that does
// not answer, another instance on the same data folder) is reported on stderr and in a
// message box and gives exit code 1. Main ends with the code it is given.
std::optional<int> InstanceManagerStart(int argc, char** argv);
// The next step, right after the application object is made: opens the server and lets
// the next start in. Reports a failure like InstanceManagerStart.
std::optional<int> InstanceManagerRegistriere();
