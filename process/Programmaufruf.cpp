#include "process/Programmaufruf.h"

#include "runtime/Fehlerausgabe.h"

#include <cstdio>
#include <cstring>

namespace {

QString Versionstext()
{
    return QStringLiteral("Kostenwolf " KOSTENWOLF_VERSION "\n");
}

QString Hilfetext()
{
    return QStringLiteral(
        "Aufruf: kostenwolf [ARGUMENT]\n"
        "Zeigt an, was Einwahlverbindungen kosten.\n"
        "\n"
        "Kostenwolf läuft nur einmal je Benutzer. Ein weiterer Start übergibt sein\n"
        "erstes Argument an das laufende Programm und endet.\n"
        "\n"
        "  -h, --help     diese Hilfe anzeigen und beenden\n"
        "      --version  die Versionsnummer anzeigen und beenden\n"
        "\n"
        "Monatsbericht ausgeben, ohne Fenster und ohne ein laufendes Programm zu stören:\n"
        "  kostenwolf --bericht [MM/JJJJ | --jahr JJJJ] [--benutzer NAME]\n"
        "             [--format text|csv|json] [--kennwort-stdin]\n"
        "  kostenwolf --vergleich [--monate N] [--benutzer NAME] [--format text|csv|json]\n"
        "      --bericht [MM/JJJJ]  der Monat (Vorgabe: der laufende)\n"
        "      --jahr JJJJ          die zwölf Monate eines Jahres aus dem Verlauf\n"
        "      --vergleich          was die Verbindungen der letzten N Monate (Vorgabe: 12)\n"
        "                           unter jedem gespeicherten Tarif gekostet hätten\n"
        "      --benutzer NAME      dessen Konto (Vorgabe: der Startbenutzer)\n"
        "      --format text|csv|json  Zeilen wie im Fenster \"Konto\" (Vorgabe), CSV oder\n"
        "                           JSON mit Sekunden, Beträgen und Bytes als Zahlen\n"
        "      --kennwort-stdin     das Kennwort von der Standardeingabe lesen statt es\n"
        "                           am Terminal zu erfragen\n"
        "  Rückgabewerte: 0 erledigt, 1 Ausgabe gescheitert, 2 falsche Angaben,\n"
        "                 3 falsches Kennwort, 4 Daten nicht lesbar, 5 kein solcher Benutzer\n"
        "\n"
        "Alle Beträge einmalig von DM in Euro umrechnen (1 € = 1,95583 DM):\n"
        "  kostenwolf --auf-euro-umstellen [--ja]\n"
        "      --ja                 ohne Rückfrage umstellen\n"
        "  Die bisherigen Dateien bleiben mit der Endung .dm erhalten.\n"
        "  Rückgabewerte: 0 erledigt oder schon in Euro, 1 fehlgeschlagen,\n"
        "                 2 falsche Angaben, 6 Kostenwolf läuft noch\n"
        "\n"
        "Rückgabewerte des Programms: 0 beendet oder an das laufende übergeben,\n"
        "1 Start nicht möglich, 2 unbekannte Option\n");
}

} // namespace

QStringList Argumente(int argc, char** argv)
{
    QStringList argumente;
    for (int i = 1; i < argc; ++i)
        argumente << QString::fromLocal8Bit(argv[i]);
    return argumente;
}

std::optional<QString> HilfeOderVersion(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return Hilfetext();
        if (std::strcmp(argv[i], "--version") == 0)
            return Versionstext();
    }
    return std::nullopt;
}

std::optional<QString> UnbekannteOption(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        // "--" ends the options: what follows is handed over as it is.
        if (std::strcmp(arg, "--") == 0)
            return std::nullopt;
        if (std::strncmp(arg, "--", 2) != 0)
            continue;
        // --bericht and --auf-euro-umstellen with their options are answered before this
        // is asked.
        if (std::strcmp(arg, "--help") != 0 && std::strcmp(arg, "--version") != 0
            && std::strcmp(arg, "--bericht") != 0 && std::strcmp(arg, "--auf-euro-umstellen") != 0)
            return QStringLiteral("Unbekannte Option: %1\n"
                                  "Eine Übersicht der Optionen zeigt »kostenwolf --help«.\n")
                .arg(QString::fromLocal8Bit(arg));
    }
    return std::nullopt;
}

std::optional<int> BeantworteHilfeOderVersion(int argc, char** argv)
{
    const auto text = HilfeOderVersion(argc, argv);
    if (!text)
        return std::nullopt;
    std::fputs(text->toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    return 0;
}

std::optional<int> WeiseUnbekannteOptionAb(int argc, char** argv)
{
    const auto text = UnbekannteOption(argc, argv);
    if (!text)
        return std::nullopt;
    SchreibeFehlerausgabe(*text);
    return 2;
}
