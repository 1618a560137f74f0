#include "platform/Laufzeitverzeichnis.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QString Systemfehler(int fehlernummer)
{
    return QString::fromLocal8Bit(std::strerror(fehlernummer));
}

} // namespace

bool LegePrivatenOrdnerAn(const QString& pfad)
{
    const QByteArray name = QFile::encodeName(QDir::cleanPath(QDir(pfad).absolutePath()));
    struct stat info { };
    if (::stat(name.constData(), &info) == 0)
        return S_ISDIR(info.st_mode);
    const qsizetype schnitt = name.lastIndexOf('/');
    if (schnitt > 0 && !LegePrivatenOrdnerAn(QFile::decodeName(name.left(schnitt))))
        return false;
    if (::mkdir(name.constData(), 0700) != 0)
        return errno == EEXIST && ::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode);
    return ::chmod(name.constData(), 0700) == 0;
}

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

namespace {

// Room for a socket address: the path, a slash, the name and the closing zero, and one
// byte more, which QLocalServer insists on.
bool PasstInSocketAdresse(const QString& verzeichnis, int laengsterName)
{
    return QFile::encodeName(verzeichnis).size() + 1 + laengsterName + 1
        < qsizetype(sizeof(sockaddr_un::sun_path));
}

QString Umgebung(const char* name)
{
    return QFile::decodeName(qgetenv(name));
}

// Creates the folder if missing (its parents as usual, itself closed to others) and
// accepts it only when it is ours and private afterwards.
bool BereiteVor(const QString& pfad, bool mitEltern, QString* fehler)
{
    const QByteArray nativ = QFile::encodeName(pfad);
    if (mitEltern)
        // Whatever failed here, the mkdir below fails too and says why.
        (void)LegePrivatenOrdnerAn(QFileInfo(pfad).absolutePath());
    if (::mkdir(nativ.constData(), 0700) != 0 && errno != EEXIST) {
        *fehler = QStringLiteral("%1 (%2)").arg(pfad, Systemfehler(errno));
        return false;
    }
    if (IstPrivatesVerzeichnis(pfad, fehler))
        return true;
    // A folder of ours that a lax umask left open can be closed; one that belongs to
    // someone else or is a link must not be used at all.
    struct stat info { };
    return ::lstat(nativ.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid()
        && ::chmod(nativ.constData(), 0700) == 0 && IstPrivatesVerzeichnis(pfad, fehler);
}

QString Temporaer()
{
    const QString tmp = Umgebung("TMPDIR");
    // A TMPDIR that names nothing must not send us to the file system's root.
    if (!tmp.isEmpty() && QDir::isAbsolutePath(tmp) && QFileInfo(tmp).isDir())
        return QDir::cleanPath(tmp);
    return QStringLiteral("/tmp");
}

QString Cache()
{
    const QString xdg = Umgebung("XDG_CACHE_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg);
    const QString heim = Umgebung("HOME");
    if (heim.isEmpty() || !QDir::isAbsolutePath(heim))
        return {};
    return QDir::cleanPath(heim + QStringLiteral("/.cache"));
}

} // namespace

TLaufzeitverzeichnis Laufzeitverzeichnis(int laengsterName)
{
    QStringList gruende;
    auto zuLang = [&](const QString& pfad) {
        if (PasstInSocketAdresse(pfad, laengsterName))
            return false;
        gruende << QStringLiteral("%1 (der Pfad ist zu lang)").arg(pfad);
        return true;
    };

    const QString xdg = Umgebung("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) {
        QString fehler;
        if (!IstPrivatesVerzeichnis(xdg, &fehler))
            gruende << fehler;
        else if (!zuLang(QDir::cleanPath(xdg)))
            return { QDir::cleanPath(xdg), {} };
    }

    const QString cache = Cache();
    if (!cache.isEmpty()) {
        const QString pfad = cache + QStringLiteral("/kostenwolf");
        QString fehler;
        if (!zuLang(pfad)) {
            if (BereiteVor(pfad, true, &fehler))
                return { pfad, {} };
            gruende << fehler;
        }
    }

    const QString pfad = Temporaer() + QStringLiteral("/kostenwolf-%1").arg(::geteuid());
    QString fehler;
    if (!zuLang(pfad)) {
        if (BereiteVor(pfad, false, &fehler))
            return { pfad, {} };
        gruende << fehler;
    }
    return { {}, gruende.join(QStringLiteral("; ")) };
}
