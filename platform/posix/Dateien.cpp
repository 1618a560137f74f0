#include "platform/posix/Dateien.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Files that could not be read at start-up: this run never writes over them.
QSet<QString>& gesperrt()
{
    static QSet<QString> pfade;
    return pfade;
}

QString Grund(int fehler)
{
    switch (fehler) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Zugriff verweigert");
    case ENOSPC:
        return QStringLiteral("Kein Speicherplatz mehr auf dem Gerät");
    case EDQUOT:
        return QStringLiteral("Speicherkontingent überschritten");
    case EFBIG:
        return QStringLiteral("Datei zu groß");
    case EROFS:
        return QStringLiteral("Das Dateisystem ist nur lesbar");
    case EISDIR:
        return QStringLiteral("Ist ein Verzeichnis");
    case ENOENT:
        return QStringLiteral("Datei oder Verzeichnis nicht gefunden");
    case EIO:
        return QStringLiteral("Ein-/Ausgabefehler");
    default:
        return QString::fromLocal8Bit(std::strerror(fehler));
    }
}

bool SchreibeAlles(int fd, const char* daten, size_t anzahl)
{
    while (anzahl > 0) {
        const ssize_t n = ::write(fd, daten, anzahl);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        daten += n;
        anzahl -= size_t(n);
    }
    return true;
}

// Copies the bytes of 'quelle' from offset 'ab' to the end onto 'ziel'.
bool KopiereRest(int quelle, int ziel, off_t ab)
{
    if (::lseek(quelle, ab, SEEK_SET) < 0)
        return false;
    char puffer[65536];
    for (;;) {
        const ssize_t n = ::read(quelle, puffer, sizeof puffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        if (!SchreibeAlles(ziel, puffer, size_t(n)))
            return false;
    }
}

void SyncVerzeichnis(const QString& verzeichnis)
{
    const int fd = ::open(QFile::encodeName(verzeichnis).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The file a save has to replace: the path itself, or the end of its chain of symbolic
// links, so that a link stays a link and its target is what gets written. Relative
// targets count from the link's own directory. Empty with errno set on a loop.
QByteArray Verweisziel(const QByteArray& pfad)
{
    QByteArray ziel = pfad;
    for (int schritt = 0; schritt < 40; ++schritt) {
        struct stat info { };
        if (::lstat(ziel.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return ziel; // a missing target is created where the link points
        char puffer[4096];
        const ssize_t n = ::readlink(ziel.constData(), puffer, sizeof puffer - 1);
        if (n <= 0)
            return ziel;
        QByteArray weiter(puffer, int(n));
        if (!weiter.startsWith('/')) {
            const int schnitt = ziel.lastIndexOf('/');
            weiter = (schnitt >= 0 ? ziel.left(schnitt + 1) : QByteArray()) + weiter;
        }
        ziel = weiter;
    }
    errno = ELOOP;
    return {};
}

// ".Daten.kwd.a1B2c3": the name mkstemp gives our temporary files.
bool IstUnsereTemporaere(const QString& eintrag, const QString& dateiname)
{
    const QString kopf = QLatin1Char('.') + dateiname + QLatin1Char('.');
    if (eintrag.size() != kopf.size() + 6 || !eintrag.startsWith(kopf))
        return false;
    for (int i = kopf.size(); i < eintrag.size(); ++i) {
        const QChar c = eintrag[i];
        if (!(c.isDigit() || (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))))
            return false;
    }
    return true;
}

int RaeumeVerzeichnisAuf(const QString& verzeichnis, const QString& dateiname)
{
    int entfernt = 0;
    const QStringList eintraege = QDir(verzeichnis).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& eintrag : eintraege) {
        if (!IstUnsereTemporaere(eintrag, dateiname))
            continue;
        const QByteArray name = QFile::encodeName(verzeichnis + QLatin1Char('/') + eintrag);
        struct stat info { };
        // Only plain files of our own; a link of that name is not followed.
        if (::lstat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        if (::unlink(name.constData()) == 0)
            ++entfernt;
    }
    return entfernt;
}

} // namespace

QString ProgrammVerzeichnis()
{
    char puffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", puffer, sizeof puffer - 1);
    if (n <= 0)
        return {};
    return QFileInfo(QFile::decodeName(QByteArray(puffer, int(n)))).absolutePath();
}

bool IstInstallationsverzeichnis(const QString& verzeichnis)
{
    const QString pfad = QDir::cleanPath(verzeichnis);
    // What the system's packages own, and the places others install programs to; root
    // may write there, but a user's data never belong there.
    static const char* const systemOrte[]
        = { "/usr", "/bin", "/sbin", "/lib", "/lib64", "/snap", "/app", "/nix" };
    for (const char* ort : systemOrte) {
        const QString wurzel = QString::fromLatin1(ort);
        if (pfad == wurzel || pfad.startsWith(wurzel + QLatin1Char('/')))
            return true;
    }
    // Installed to a prefix of the user's own (cmake --install --prefix ~/.local): the
    // program in its "bin", its menu entry in the "share" beside it.
    const QDir ordner(pfad);
    return ordner.dirName() == QLatin1String("bin")
        && QFileInfo::exists(ordner.filePath(QStringLiteral("../share/applications/kostenwolf.desktop")));
}

bool IstBeschreibbar(const QString& verzeichnis)
{
    return ::access(QFile::encodeName(verzeichnis).constData(), W_OK) == 0;
}

namespace {

// 'anlegenMit': the mode a missing file is created with; none leaves it missing.
TLadeErgebnis LeseVorhandenOderLegeAn(
    const QString& pfad, void* ziel, size_t groesse, std::optional<unsigned> anlegenMit)
{
    const QByteArray name = QFile::encodeName(pfad);
    gesperrt().remove(pfad);
    TLadeErgebnis ergebnis;
    // Without O_NONBLOCK a FIFO put in the file's place would block here before any
    // window exists, deaf to SIGTERM. Only a regular file is read; the flag goes again
    // once that is known.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT || !anlegenMit) {
            ergebnis = { TLadeErgebnis::Unlesbar, Grund(errno) };
            gesperrt().insert(pfad);
            return ergebnis;
        }
        const int neu = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, *anlegenMit);
        if (neu < 0)
            return { TLadeErgebnis::NichtAngelegt, Grund(errno) };
        (void)!::fchmod(neu, *anlegenMit); // whatever the umask
        ::close(neu);
        return { TLadeErgebnis::Angelegt, {} };
    }
    struct stat info { };
    if (::fstat(fd, &info) != 0) {
        const int fehler = errno;
        ::close(fd);
        gesperrt().insert(pfad);
        return { TLadeErgebnis::Unlesbar, Grund(fehler) };
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        gesperrt().insert(pfad);
        return { TLadeErgebnis::Unlesbar,
            S_ISDIR(info.st_mode) ? Grund(EISDIR) : QStringLiteral("Keine gewöhnliche Datei") };
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int fehler = errno;
        ::close(fd);
        gesperrt().insert(pfad);
        return { TLadeErgebnis::Unlesbar, Grund(fehler) };
    }
    char* p = static_cast<char*>(ziel);
    size_t rest = groesse;
    while (rest > 0) {
        const ssize_t n = ::read(fd, p, rest);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ergebnis = { TLadeErgebnis::Unlesbar, Grund(errno) };
            gesperrt().insert(pfad);
            break;
        }
        if (n == 0)
            break; // a short file fills only the beginning
        p += n;
        rest -= size_t(n);
    }
    ::close(fd);
    return ergebnis;
}

} // namespace

TLadeErgebnis LeseDatensatz(const QString& pfad, void* ziel, size_t groesse, unsigned modus)
{
    return LeseVorhandenOderLegeAn(pfad, ziel, groesse, modus);
}

TLadeErgebnis LeseDatensatzNurLesend(const QString& pfad, void* ziel, size_t groesse)
{
    return LeseVorhandenOderLegeAn(pfad, ziel, groesse, std::nullopt);
}

namespace {

// 'restBehalten': bytes of the old file beyond 'groesse' are carried over.
TSpeicherErgebnis ErsetzeUeberVerweis(
    const QString& pfad, const void* quelle, size_t groesse, unsigned modus, bool restBehalten)
{
    TSpeicherErgebnis ergebnis;
    ergebnis.Pfad = pfad;
    auto fehler = [&](int nummer) {
        ergebnis.Ok = false;
        ergebnis.Grund = Grund(nummer);
        return ergebnis;
    };
    if (gesperrt().contains(pfad)) {
        ergebnis.Ok = false;
        ergebnis.Gesperrt = true;
        return ergebnis;
    }

    // Through a symbolic link the target is replaced, in its own directory.
    const QByteArray name = Verweisziel(QFile::encodeName(pfad));
    if (name.isEmpty())
        return fehler(errno);
    struct stat alt { };
    const bool vorhanden = ::stat(name.constData(), &alt) == 0;
    if (vorhanden) {
        if (!S_ISREG(alt.st_mode))
            return fehler(S_ISDIR(alt.st_mode) ? EISDIR : EINVAL);
        // A write-protected file stays as it is, as it would if written in place.
        if (::access(name.constData(), W_OK) != 0)
            return fehler(errno);
    }
    const mode_t modusNeu = vorhanden ? (alt.st_mode & 07777) : mode_t(modus);

    const QFileInfo info(QFile::decodeName(name));
    QByteArray vorlage = QFile::encodeName(
        info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(vorlage.data());
    if (fd < 0)
        return fehler(errno);
    auto abbrechen = [&](int nummer) {
        ::close(fd);
        ::unlink(vorlage.constData());
        return fehler(nummer);
    };
    if (::fchmod(fd, modusNeu) != 0)
        return abbrechen(errno);
    if (vorhanden && (alt.st_uid != ::geteuid() || alt.st_gid != ::getegid()))
        (void)!::fchown(fd, alt.st_uid, alt.st_gid);
    if (!SchreibeAlles(fd, static_cast<const char*>(quelle), groesse))
        return abbrechen(errno);
    if (restBehalten && vorhanden && alt.st_size > off_t(groesse)) {
        const int altFd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (altFd < 0)
            return abbrechen(errno);
        const bool ok = KopiereRest(altFd, fd, off_t(groesse));
        const int nummer = errno;
        ::close(altFd);
        if (!ok)
            return abbrechen(nummer);
    }
    if (::fsync(fd) != 0)
        return abbrechen(errno);
    if (::close(fd) != 0) {
        const int nummer = errno;
        ::unlink(vorlage.constData());
        return fehler(nummer);
    }
    if (::rename(vorlage.constData(), name.constData()) != 0) {
        const int nummer = errno;
        ::unlink(vorlage.constData());
        return fehler(nummer);
    }
    SyncVerzeichnis(info.absolutePath());
    return ergebnis;
}

} // namespace

TSpeicherErgebnis SchreibeDatensatz(const QString& pfad, const void* quelle, size_t groesse, unsigned modus)
{
    return ErsetzeUeberVerweis(pfad, quelle, groesse, modus, true);
}

TSpeicherErgebnis SchreibeGanzeDatei(const QString& pfad, const QByteArray& inhalt)
{
    return ErsetzeUeberVerweis(pfad, inhalt.constData(), size_t(inhalt.size()), 0600, false);
}

QString VerweisZiel(const QString& pfad)
{
    const QByteArray ziel = Verweisziel(QFile::encodeName(pfad));
    return ziel.isEmpty() ? pfad : QFile::decodeName(ziel);
}

int RaeumeTemporaereAuf(const QString& pfad)
{
    const QFileInfo info(pfad);
    int entfernt = RaeumeVerzeichnisAuf(info.absolutePath(), info.fileName());
    const QByteArray ziel = Verweisziel(QFile::encodeName(info.absoluteFilePath()));
    if (!ziel.isEmpty()) {
        const QFileInfo zielInfo(QFile::decodeName(ziel));
        if (zielInfo.absoluteFilePath() != info.absoluteFilePath())
            entfernt += RaeumeVerzeichnisAuf(zielInfo.absolutePath(), zielInfo.fileName());
    }
    return entfernt;
}

QString DateiFehlerGrund(int fehler)
{
    return Grund(fehler);
}

QString SpeicherFehlerText(const TSpeicherErgebnis& ergebnis)
{
    if (ergebnis.Ok || ergebnis.Gesperrt)
        return {};
    return QStringLiteral("Die Daten konnten nicht gespeichert werden: ")
        + QDir::toNativeSeparators(ergebnis.Pfad) + QStringLiteral(" (") + ergebnis.Grund
        + QStringLiteral(")");
}

QString LadeFehlerText(const QString& pfad)
{
    return QStringLiteral("Die Datei ") + QDir::toNativeSeparators(pfad)
        + QStringLiteral(" kann nicht gelesen werden. Änderungen werden nicht gespeichert.");
}

TSpeicherErgebnis ErsetzeDatei(
    const QString& pfad, const void* quelle, size_t groesse, bool verzeichnisSichern)
{
    TSpeicherErgebnis ergebnis;
    ergebnis.Pfad = pfad;
    auto fehler = [&](int nummer) {
        ergebnis.Ok = false;
        ergebnis.Grund = Grund(nummer);
        return ergebnis;
    };
    const QFileInfo info(pfad);
    QByteArray vorlage = QFile::encodeName(
        info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(vorlage.data());
    if (fd < 0)
        return fehler(errno);
    // mkstemp asks for 0600, which an odd umask could still narrow.
    if (::fchmod(fd, 0600) != 0 || !SchreibeAlles(fd, static_cast<const char*>(quelle), groesse)
        || ::fsync(fd) != 0) {
        const int nummer = errno;
        ::close(fd);
        ::unlink(vorlage.constData());
        return fehler(nummer);
    }
    if (::close(fd) != 0 || ::rename(vorlage.constData(), QFile::encodeName(pfad).constData()) != 0) {
        const int nummer = errno;
        ::unlink(vorlage.constData());
        return fehler(nummer);
    }
    if (verzeichnisSichern)
        SyncVerzeichnis(info.absolutePath());
    return ergebnis;
}

TKleineDatei LeseKleineDatei(const QString& pfad, size_t hoechstens)
{
    TKleineDatei ergebnis;
    const int fd = ::open(QFile::encodeName(pfad).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            ergebnis.art = TKleineDatei::Unlesbar;
            ergebnis.Grund = Grund(errno);
        }
        return ergebnis;
    }
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int fehler = S_ISDIR(info.st_mode) ? EISDIR : (errno ? errno : EINVAL);
        ::close(fd);
        ergebnis.art = TKleineDatei::Unlesbar;
        ergebnis.Grund = Grund(fehler);
        return ergebnis;
    }
    ergebnis.Inhalt.resize(qsizetype(hoechstens + 1));
    size_t gelesen = 0;
    while (gelesen < hoechstens + 1) {
        const ssize_t n = ::read(fd, ergebnis.Inhalt.data() + gelesen, hoechstens + 1 - gelesen);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ergebnis.art = TKleineDatei::Unlesbar;
            ergebnis.Grund = Grund(errno);
            ergebnis.Inhalt.clear();
            ::close(fd);
            return ergebnis;
        }
        if (n == 0)
            break;
        gelesen += size_t(n);
    }
    ::close(fd);
    ergebnis.Inhalt.resize(qsizetype(gelesen));
    ergebnis.art = TKleineDatei::Gelesen;
    return ergebnis;
}

TSpeicherErgebnis SetzeDateiEin(const QString& vorlaeufig, const QString& pfad)
{
    TSpeicherErgebnis ergebnis;
    ergebnis.Pfad = pfad;
    const QByteArray von = QFile::encodeName(vorlaeufig);
    int nummer = 0;
    const int fd = ::open(von.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        nummer = errno;
    }
    else {
        if (::fsync(fd) != 0)
            nummer = errno;
        if (::close(fd) != 0 && nummer == 0)
            nummer = errno;
    }
    if (nummer == 0 && ::rename(von.constData(), QFile::encodeName(pfad).constData()) != 0)
        nummer = errno;
    if (nummer != 0) {
        ::unlink(von.constData());
        ergebnis.Ok = false;
        ergebnis.Grund = Grund(nummer);
        return ergebnis;
    }
    SyncVerzeichnis(QFileInfo(pfad).absolutePath());
    return ergebnis;
}

TSpeicherErgebnis EntferneDatei(const QString& pfad)
{
    TSpeicherErgebnis ergebnis;
    ergebnis.Pfad = pfad;
    if (::unlink(QFile::encodeName(pfad).constData()) != 0) {
        if (errno != ENOENT) {
            ergebnis.Ok = false;
            ergebnis.Grund = Grund(errno);
        }
        return ergebnis;
    }
    SyncVerzeichnis(QFileInfo(pfad).absolutePath());
    return ergebnis;
}

TSpeicherErgebnis LegeDateiBeiseite(const QString& pfad, const QString& neuerName)
{
    TSpeicherErgebnis ergebnis;
    const QString verzeichnis = QFileInfo(pfad).absolutePath();
    const QByteArray alt = QFile::encodeName(pfad);
    for (int nummer = 1; nummer < 1000; ++nummer) {
        const QString ziel = verzeichnis + QLatin1Char('/') + neuerName
            + (nummer == 1 ? QString() : QLatin1Char('.') + QString::number(nummer));
        const QByteArray zielName = QFile::encodeName(ziel);
        // Never replaces a file set aside earlier; file systems without the flag get a
        // look first instead.
        int rc = ::renameat2(AT_FDCWD, alt.constData(), AT_FDCWD, zielName.constData(), RENAME_NOREPLACE);
        if (rc != 0 && errno == EINVAL) {
            struct stat vorhanden { };
            if (::lstat(zielName.constData(), &vorhanden) == 0)
                errno = EEXIST;
            else
                rc = ::rename(alt.constData(), zielName.constData());
        }
        if (rc == 0) {
            SyncVerzeichnis(verzeichnis);
            ergebnis.Pfad = ziel;
            return ergebnis;
        }
        if (errno != EEXIST) {
            ergebnis.Ok = false;
            ergebnis.Pfad = pfad;
            ergebnis.Grund = Grund(errno);
            return ergebnis;
        }
    }
    ergebnis.Ok = false;
    ergebnis.Pfad = pfad;
    ergebnis.Grund = Grund(EEXIST);
    return ergebnis;
}
