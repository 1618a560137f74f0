// The running instance's end of the hand-over: a local socket server that only the
// user's own processes can reach. Each connection delivers one message, gets the
// handler's answer and is closed.
#pragma once

#include "platform/InstanzNachricht.h"

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;
class QLocalSocket;

class TInstanzServer : public QObject {
    Q_OBJECT
public:
    explicit TInstanzServer(QObject* parent = nullptr);
    ~TInstanzServer() override;

    // Listens at pfad; a socket file found there must already be known to be stale.
    [[nodiscard]] bool Lausche(const QString& pfad);
    void Schliesse();
    bool Lauscht() const;
    QString Fehlertext() const { return fehlertext; }

    // The window procedure's stand-in: answers one message.
    std::function<qint32(const TCopyData&)> BeiNachricht;

    // A client that stays silent this long loses its connection.
    int Zeitlimit = 10000;
    // Connections beyond this number are turned away at once.
    int MaxVerbindungen = 16;

private:
    void NeueVerbindung();
    void Lies(QLocalSocket* socket);

    QLocalServer* server;
    QString fehlertext;
    int verbindungen = 0;
};

// Whether the peer of a connected local socket runs as the current user.
bool GehoertEigenemBenutzer(qintptr socketDeskriptor);
