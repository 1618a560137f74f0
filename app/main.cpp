#include "app/Programm.h"
#include "process/Berichtsaufruf.h"
#include "process/Euroaufruf.h"
#include "process/InstanceManager.h"
#include "process/Programmaufruf.h"

#include <QApplication>
#include <optional>

int main(int argc, char** argv)
{
    // Before anything else: --help, --version and --bericht work while an instance runs
    // and never reach it, --auf-euro-umstellen refuses then, and a mistyped option ends
    // the start; a second start hands over to the running one and ends here. Each step
    // that answers the start gives the exit code, and the program ends only here.
    using TSchritt = std::optional<int> (*)(int, char**);
    for (const TSchritt schritt : { BeantworteHilfeOderVersion, BeantworteBerichtsAufruf,
             BeantworteEuroAufruf, WeiseUnbekannteOptionAb, InstanceManagerStart })
        if (const std::optional<int> code = schritt(argc, argv))
            return *code;

    QApplication app(argc, argv);
    if (const std::optional<int> code = InstanceManagerRegistriere())
        return *code;
    return FuehreProgrammAus(app);
}
