#include "platform/InstanzServer.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Per connection: the message read so far.
struct TVerbindung : QObject {
    using QObject::QObject;
    TNachrichtLeser Leser;
};

} // namespace

bool GehoertEigenemBenutzer(qintptr socketDeskriptor)
{
    struct ucred partner { };
    socklen_t laenge = sizeof partner;
    if (::getsockopt(static_cast<int>(socketDeskriptor), SOL_SOCKET, SO_PEERCRED, &partner, &laenge) != 0)
        return false;
    return partner.uid == ::geteuid();
}

TInstanzServer::TInstanzServer(QObject* parent)
    : QObject(parent)
    , server(new QLocalServer(this))
{
    server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server, &QLocalServer::newConnection, this, &TInstanzServer::NeueVerbindung);
}

TInstanzServer::~TInstanzServer()
{
    Schliesse();
}

bool TInstanzServer::Lausche(const QString& pfad)
{
    fehlertext.clear();
    if (server->listen(pfad))
        return true;
    fehlertext = QStringLiteral("%1 (%2)").arg(pfad, server->errorString());
    return false;
}

void TInstanzServer::Schliesse()
{
    // Closing removes the socket file, so the next start does not meet a dead one.
    if (server->isListening())
        server->close();
}

bool TInstanzServer::Lauscht() const
{
    return server->isListening();
}

void TInstanzServer::NeueVerbindung()
{
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        if (verbindungen >= MaxVerbindungen || !GehoertEigenemBenutzer(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++verbindungen;
        // Qt must not buffer more than one message could hold, whatever the client sends.
        socket->setReadBufferSize(MaxNachrichtGroesse);
        auto* zustand = new TVerbindung(socket);
        zustand->setObjectName(QStringLiteral("Verbindung"));
        auto* wecker = new QTimer(socket);
        wecker->setSingleShot(true);
        connect(wecker, &QTimer::timeout, socket, &QLocalSocket::abort);
        wecker->start(Zeitlimit);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Lies(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this] { --verbindungen; });
        Lies(socket);
    }
}

void TInstanzServer::Lies(QLocalSocket* socket)
{
    auto* verbindung
        = socket->findChild<TVerbindung*>(QStringLiteral("Verbindung"), Qt::FindDirectChildrenOnly);
    if (!verbindung || verbindung->Leser.Zustand() != TNachrichtLeser::Unvollstaendig)
        return;
    while (socket->bytesAvailable() > 0 && verbindung->Leser.Zustand() == TNachrichtLeser::Unvollstaendig)
        verbindung->Leser.Lies(socket->read(verbindung->Leser.Fehlend()));

    switch (verbindung->Leser.Zustand()) {
    case TNachrichtLeser::Unvollstaendig:
        return;
    case TNachrichtLeser::Ungueltig:
        socket->abort();
        return;
    case TNachrichtLeser::Fertig: {
        const qint32 antwort = BeiNachricht ? BeiNachricht(verbindung->Leser.Nachricht()) : 0;
        socket->write(KodiereAntwort(antwort));
        socket->flush();
        // The client closes once it has the answer; disconnectFromServer waits for the
        // bytes to be written before it lets go.
        socket->disconnectFromServer();
        return;
    }
    }
}
