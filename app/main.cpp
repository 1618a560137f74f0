#include "app/Programm.h"
#include "process/Berichtsaufruf.h"
#include "process/Euroaufruf.h"
#include "process/InstanceManager.h"
#include "process/Programmaufruf.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Before anything else: --help, --version and --bericht work while an instance runs
    // and never reach it, --auf-euro-umstellen refuses then, and a mistyped option ends
    // the start; a second start hands over to the running one and ends here.
    BeantworteHilfeOderVersion(argc, argv);
    BeantworteBerichtsAufruf(argc, argv);
    BeantworteEuroAufruf(argc, argv);
    WeiseUnbekannteOptionAb(argc, argv);
    InstanceManagerStart(argc, argv);

    QApplication app(argc, argv);
    InstanceManagerRegistriere();
    return FuehreProgrammAus(app);
}
