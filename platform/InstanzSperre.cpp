#include "platform/InstanzSperre.h"

#include <QDeadlineTimer>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

TInstanzSperre::TInstanzSperre(const QString& datei)
    : pfad(datei)
{
}

TInstanzSperre::~TInstanzSperre()
{
    Freigeben();
}

TInstanzSperre::TErgebnis TInstanzSperre::Warte(int millisekunden)
{
    if (fd >= 0)
        return Erhalten;
    auto fehler = [this](int nummer) {
        fehlertext = nummer == EACCES || nummer == EPERM
            ? QStringLiteral("%1 (keine Berechtigung)").arg(pfad)
            : QStringLiteral("%1 (die Sperrdatei kann nicht angelegt werden: %2)")
                  .arg(pfad, QString::fromLocal8Bit(std::strerror(nummer)));
        return Fehler;
    };

    // O_NONBLOCK and O_NOFOLLOW: whatever sits at the name, a FIFO or a link, must not
    // stall or redirect the start. Read access is all flock needs, so a leftover file
    // without write permission serves as well. The file is never removed: a lock on a
    // file that is unlinked and made anew would let two starts hold "the" lock at once.
    const int neu = ::open(QFile::encodeName(pfad).constData(),
        O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (neu < 0)
        return fehler(errno == ELOOP ? EPERM : errno);
    struct stat info { };
    if (::fstat(neu, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(neu);
        fehlertext = QStringLiteral("%1 ist keine gewöhnliche Datei").arg(pfad);
        return Fehler;
    }

    QDeadlineTimer frist(millisekunden);
    for (;;) {
        if (::flock(neu, LOCK_EX | LOCK_NB) == 0) {
            fd = neu;
            return Erhalten;
        }
        const int nummer = errno;
        if (nummer != EWOULDBLOCK && nummer != EINTR) {
            ::close(neu);
            return fehler(nummer);
        }
        if (frist.hasExpired()) {
            ::close(neu);
            return Zeitueberschreitung;
        }
        ::usleep(static_cast<useconds_t>(qMin<qint64>(20, qMax<qint64>(1, frist.remainingTime())) * 1000));
    }
}

void TInstanzSperre::Freigeben()
{
    if (fd < 0)
        return;
    ::flock(fd, LOCK_UN);
    ::close(fd);
    fd = -1;
}

TDatenSperre SperreDatenverzeichnis(const QString& verzeichnis, int millisekunden, QString* grund)
{
    const auto nichtMoeglich = [grund](int nummer) {
        if (grund)
            *grund = QString::fromLocal8Bit(std::strerror(nummer));
        return TDatenSperre::NichtMoeglich;
    };
    const int fd = ::open(QFile::encodeName(verzeichnis).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nichtMoeglich(errno);
    QDeadlineTimer frist(millisekunden);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return TDatenSperre::Gehalten; // the descriptor stays open on purpose
        const int nummer = errno;
        if (nummer != EWOULDBLOCK && nummer != EINTR) {
            ::close(fd);
            return nichtMoeglich(nummer);
        }
        if (frist.hasExpired()) {
            ::close(fd);
            return TDatenSperre::Belegt;
        }
        ::usleep(20000);
    }
}
