#include "support/ShellAufzeichnung.h"

#include "runtime/Shell.h"

namespace {
QStringList aufgezeichnet;
} // namespace

QStringList& ZeichneShellAuf()
{
    aufgezeichnet.clear();
    InstalliereShellOeffner([](const QString& ziel) {
        aufgezeichnet << ziel;
        return true;
    });
    return aufgezeichnet;
}
