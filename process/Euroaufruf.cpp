#include "process/Euroaufruf.h"

#include "core/EuroUmstellung.h"
#include "platform/InstanzSperre.h"
#include "platform/posix/Dateien.h"
#include "process/Programmaufruf.h"
#include "runtime/Fehlerausgabe.h"
#include "store/Datenverzeichnis.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString Option = QStringLiteral("--auf-euro-umstellen");

std::optional<bool> FrageAmTerminal(const QString& frage)
{
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const QByteArray text = (frage + QStringLiteral(" [j/N] ")).toLocal8Bit();
    (void)!::write(fd, text.constData(), size_t(text.size()));
    QByteArray antwort;
    char c;
    for (;;) {
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || c == '\n')
            break;
        if (antwort.size() < 64)
            antwort += c;
    }
    ::close(fd);
    const QString a = QString::fromLocal8Bit(antwort).trimmed().toLower();
    return a == QStringLiteral("j") || a == QStringLiteral("ja");
}

} // namespace

bool WillEuroUmstellung(const QStringList& argumente)
{
    return argumente.contains(Option);
}

int FuehreEuroUmstellungAus(
    const QStringList& argumente, const QString& verzeichnis, const TEuroKanaele& kanaele)
{
    bool ohneFrage = false;
    for (const QString& arg : argumente) {
        if (arg == QStringLiteral("--ja")) {
            ohneFrage = true;
        }
        else if (arg != Option) {
            kanaele.Meldung(QStringLiteral("Die Angabe „%1“ ist unbekannt.\n"
                                           "Aufruf: kostenwolf --auf-euro-umstellen [--ja]")
                                .arg(arg));
            return EuroFalscheArgumente;
        }
    }
    if (!kanaele.Sperre(verzeichnis)) {
        kanaele.Meldung(ProgrammLaeuftText);
        return EuroProgrammLaeuft;
    }
    if (!ohneFrage) {
        const std::optional<bool> ja = kanaele.Frage(EuroFrageText);
        if (!ja) {
            kanaele.Meldung(QStringLiteral("Ohne Terminal wird nicht gefragt; --ja stellt ohne Frage um."));
            return EuroFalscheArgumente;
        }
        if (!*ja) {
            kanaele.Ausgabe(QStringLiteral("Nichts geändert; die Beträge bleiben in DM."));
            return EuroFertig;
        }
    }
    const TEuroErgebnis ergebnis = StelleAufEuroUm(verzeichnis);
    if (ergebnis.art == TEuroErgebnis::Fehlgeschlagen) {
        kanaele.Meldung(ergebnis.Meldung);
        return EuroFehlgeschlagen;
    }
    kanaele.Ausgabe(ergebnis.Meldung);
    return EuroFertig;
}

std::optional<int> BeantworteEuroAufruf(int argc, char** argv)
{
    const QStringList argumente = Argumente(argc, argv);
    if (!WillEuroUmstellung(argumente))
        return std::nullopt;
    TEuroKanaele kanaele;
    kanaele.Ausgabe = [](const QString& text) {
        std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
    };
    kanaele.Meldung
        = [](const QString& text) { SchreibeFehlerausgabe(QStringLiteral("kostenwolf: ") + text); };
    kanaele.Frage = FrageAmTerminal;
    // Held until this process ends, so no Kostenwolf starts on the files meanwhile.
    kanaele.Sperre = [](const QString& verzeichnis) {
        return SperreDatenverzeichnis(verzeichnis, 0) != TDatenSperre::Belegt;
    };
    const int code = FuehreEuroUmstellungAus(argumente, DatenVerzeichnis(), kanaele);
    std::fflush(stdout);
    return code;
}
