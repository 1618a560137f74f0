#include "process/Programmaufruf.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

QString Versionstext()
{
    return QStringLiteral("Kostenwolf " KOSTENWOLF_VERSION "\n");
}

QString Hilfetext()
{
    return QStringLiteral("Aufruf: kostenwolf [ARGUMENT]\n"
                          "Zeigt an, was Einwahlverbindungen kosten.\n"
                          "\n"
                          "Kostenwolf läuft nur einmal je Benutzer. Ein weiterer Start übergibt sein\n"
                          "erstes Argument an das laufende Programm und endet.\n"
                          "\n"
                          "  -h, --help     diese Hilfe anzeigen und beenden\n"
                          "      --version  die Versionsnummer anzeigen und beenden\n"
                          "\n"
                          "Monatsbericht ausgeben, ohne Fenster und ohne ein laufendes Programm zu stören:\n"
                          "  kostenwolf --bericht [MM/JJJJ] [--benutzer NAME] [--format text|csv]\n"
                          "             [--kennwort-stdin]\n"
                          "      --bericht [MM/JJJJ]  der Monat (Vorgabe: der laufende)\n"
                          "      --benutzer NAME      dessen Konto (Vorgabe: der Startbenutzer)\n"
                          "      --format text|csv    Zeilen wie im Fenster \"Konto\" (Vorgabe) oder CSV\n"
                          "      --kennwort-stdin     das Kennwort von der Standardeingabe lesen statt es\n"
                          "                           am Terminal zu erfragen\n"
                          "  Rückgabewerte: 0 erledigt, 2 falsche Angaben, 3 falsches Kennwort,\n"
                          "                 4 Daten nicht lesbar, 5 kein solcher Benutzer\n"
                          "\n"
                          "Alle Beträge einmalig von DM in Euro umrechnen (1 € = 1,95583 DM):\n"
                          "  kostenwolf --auf-euro-umstellen [--ja]\n"
                          "      --ja                 ohne Rückfrage umstellen\n"
                          "  Die bisherigen Dateien bleiben mit der Endung .dm erhalten.\n"
                          "  Rückgabewerte: 0 erledigt oder schon in Euro, 1 fehlgeschlagen,\n"
                          "                 2 falsche Angaben, 6 Kostenwolf läuft noch\n");
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

void BeantworteHilfeOderVersion(int argc, char** argv)
{
    if (const auto text = HilfeOderVersion(argc, argv)) {
        std::fputs(text->toLocal8Bit().constData(), stdout);
        std::fflush(stdout);
        std::exit(0);
    }
}
