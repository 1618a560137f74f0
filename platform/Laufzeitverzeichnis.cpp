#include "platform/Laufzeitverzeichnis.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Systemfehler(int fehlernummer)
{
    return QString::fromLocal8Bit(std::strerror(fehlernummer));
}

} // namespace

bool IstPrivatesVerzeichnis(const QString& pfad, QString* fehler)
{
    auto melde = [&](const QString& text) {
        if (fehler)
            *fehler = text;
        return false;
    };
    struct stat info { };
    if (::lstat(QFile::encodeName(pfad).constData(), &info) != 0)
        return melde(QStringLiteral("%1 (%2)").arg(pfad, Systemfehler(errno)));
    if (!S_ISDIR(info.st_mode))
        return melde(QStringLiteral("%1 ist kein Verzeichnis").arg(pfad));
    if (info.st_uid != ::geteuid())
        return melde(QStringLiteral("%1 gehört einem anderen Benutzer").arg(pfad));
    if ((info.st_mode & 077) != 0)
        return melde(QStringLiteral("%1 ist für andere Benutzer zugänglich").arg(pfad));
    return true;
}

TLaufzeitverzeichnis Laufzeitverzeichnis()
{
    const QString xdg = QFile::decodeName(qgetenv("XDG_RUNTIME_DIR"));
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg) && IstPrivatesVerzeichnis(xdg))
        return { QDir::cleanPath(xdg), {} };

    const QString pfad
        = QDir::cleanPath(QDir::tempPath() + QStringLiteral("/kostenwolf-%1").arg(::geteuid()));
    const QByteArray nativ = QFile::encodeName(pfad);
    if (::mkdir(nativ.constData(), 0700) != 0 && errno != EEXIST)
        return { {}, QStringLiteral("%1 (%2)").arg(pfad, Systemfehler(errno)) };
    QString fehler;
    if (!IstPrivatesVerzeichnis(pfad, &fehler)) {
        // A folder of ours that a strict umask did not cover can be closed; one that
        // belongs to someone else or is a link must not be used at all.
        struct stat info { };
        if (::lstat(nativ.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid()
            && ::chmod(nativ.constData(), 0700) == 0 && IstPrivatesVerzeichnis(pfad, &fehler))
            return { pfad, {} };
        return { {}, fehler };
    }
    return { pfad, {} };
}
