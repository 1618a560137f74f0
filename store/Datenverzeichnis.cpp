#include "store/Datenverzeichnis.h"

#include "platform/posix/Dateien.h"

#include <QDir>
#include <QFile>

namespace {

QString SucheDatenVerzeichnis(const QByteArray& vorgabe, const QByteArray& xdg)
{
    if (!vorgabe.isEmpty())
        return QFile::decodeName(vorgabe);
    const QString programm = ProgrammVerzeichnis();
    if (!programm.isEmpty() && !IstInstallationsverzeichnis(programm) && IstBeschreibbar(programm))
        return programm;
    QString basis = QFile::decodeName(xdg);
    if (basis.isEmpty())
        basis = QDir::homePath() + QStringLiteral("/.local/share");
    return basis + QStringLiteral("/kostenwolf");
}

} // namespace

QString DatenVerzeichnis()
{
    // Looked up once for each setting of the two variables, not on every load and save.
    static QByteArray letzteVorgabe, letztesXdg;
    static QString verzeichnis;
    const QByteArray vorgabe = qgetenv("KOSTENWOLF_DATA_DIR");
    const QByteArray xdg = qgetenv("XDG_DATA_HOME");
    if (verzeichnis.isEmpty() || vorgabe != letzteVorgabe || xdg != letztesXdg) {
        verzeichnis = SucheDatenVerzeichnis(vorgabe, xdg);
        letzteVorgabe = vorgabe;
        letztesXdg = xdg;
    }
    return verzeichnis;
}
