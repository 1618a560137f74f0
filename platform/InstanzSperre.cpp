#include "platform/InstanzSperre.h"

#include <QDeadlineTimer>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class TFlock { Erhalten, Belegt, Fehler };

// Takes the exclusive lock on 'fd', trying until 'millisekunden' are up; on Fehler
// 'nummer' tells why. The descriptor is closed unless the lock was taken.
TFlock SperreBis(int fd, int millisekunden, int& nummer)
{
    const QDeadlineTimer frist(millisekunden);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return TFlock::Erhalten;
        nummer = errno;
        if (nummer != EWOULDBLOCK && nummer != EINTR) {
            ::close(fd);
            return TFlock::Fehler;
        }
        if (frist.hasExpired()) {
            ::close(fd);
            return TFlock::Belegt;
        }
        ::usleep(static_cast<useconds_t>(qMin<qint64>(20, qMax<qint64>(1, frist.remainingTime())) * 1000));
    }
}

} // namespace

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

    int nummer = 0;
    switch (SperreBis(neu, millisekunden, nummer)) {
    case TFlock::Erhalten:
        fd = neu;
        return Erhalten;
    case TFlock::Belegt:
        return Zeitueberschreitung;
    case TFlock::Fehler:
        break;
    }
    return fehler(nummer);
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
    int nummer = 0;
    switch (SperreBis(fd, millisekunden, nummer)) {
    case TFlock::Erhalten:
        return TDatenSperre::Gehalten; // the descriptor stays open on purpose
    case TFlock::Belegt:
        return TDatenSperre::Belegt;
    case TFlock::Fehler:
        break;
    }
    return nichtMoeglich(nummer);
}
