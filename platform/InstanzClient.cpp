#include "platform/InstanzClient.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

struct TDeskriptor {
    int fd = -1;
    ~TDeskriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

QString Systemfehler(const QString& pfad, int fehlernummer)
{
    return QStringLiteral("%1 (%2)").arg(pfad, QString::fromLocal8Bit(std::strerror(fehlernummer)));
}

} // namespace

TUebergabe UebergibAnInstanz(const QString& pfad, const TCopyData& nachricht, int millisekunden)
{
    TUebergabe ergebnis;
    const QByteArray name = QFile::encodeName(pfad);
    sockaddr_un adresse {};
    adresse.sun_family = AF_UNIX;
    if (name.size() >= static_cast<qsizetype>(sizeof adresse.sun_path)) {
        ergebnis.Ergebnis = TUebergabe::Fehler;
        ergebnis.Fehlertext = QStringLiteral("%1 (der Pfad ist zu lang)").arg(pfad);
        return ergebnis;
    }
    std::memcpy(adresse.sun_path, name.constData(), size_t(name.size()));

    TDeskriptor socket;
    socket.fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket.fd < 0) {
        ergebnis.Ergebnis = TUebergabe::Fehler;
        ergebnis.Fehlertext = Systemfehler(pfad, errno);
        return ergebnis;
    }
    // The timeouts bound a blocking connect to a full backlog as well as the wait for
    // an answer from an instance that has stopped responding.
    timeval zeit {};
    zeit.tv_sec = millisekunden / 1000;
    zeit.tv_usec = (millisekunden % 1000) * 1000;
    ::setsockopt(socket.fd, SOL_SOCKET, SO_SNDTIMEO, &zeit, sizeof zeit);
    ::setsockopt(socket.fd, SOL_SOCKET, SO_RCVTIMEO, &zeit, sizeof zeit);

    int rc;
    do
        rc = ::connect(socket.fd, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        if (errno == ENOENT || errno == ECONNREFUSED)
            return ergebnis; // KeinServer
        ergebnis.Ergebnis
            = errno == EAGAIN || errno == EINPROGRESS ? TUebergabe::KeineAntwort : TUebergabe::Fehler;
        ergebnis.Fehlertext = Systemfehler(pfad, errno);
        return ergebnis;
    }

    const QByteArray text = KodiereNachricht(nachricht);
    for (qsizetype gesendet = 0; gesendet < text.size();) {
        const ssize_t n
            = ::send(socket.fd, text.constData() + gesendet, size_t(text.size() - gesendet), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ergebnis.Ergebnis = TUebergabe::KeineAntwort;
            ergebnis.Fehlertext = Systemfehler(pfad, errno);
            return ergebnis;
        }
        gesendet += n;
    }

    char antwort[AntwortGroesse];
    for (qsizetype gelesen = 0; gelesen < AntwortGroesse;) {
        const ssize_t n = ::recv(socket.fd, antwort + gelesen, size_t(AntwortGroesse - gelesen), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ergebnis.Ergebnis = TUebergabe::KeineAntwort;
            ergebnis.Fehlertext = n == 0 ? QStringLiteral("%1 (Verbindung ohne Antwort beendet)").arg(pfad)
                                         : Systemfehler(pfad, errno);
            return ergebnis;
        }
        gelesen += n;
    }
    ergebnis.Ergebnis = TUebergabe::Beantwortet;
    ergebnis.Antwort = DekodiereAntwort(antwort);
    return ergebnis;
}
