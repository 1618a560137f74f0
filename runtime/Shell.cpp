#include "runtime/Shell.h"

namespace {
TShellOeffner oeffner;
QStringList aufgezeichnet;
} // namespace

void InstalliereShellOeffner(TShellOeffner neu)
{
    oeffner = std::move(neu);
}

bool ShellExecuteOpen(const QString& ziel)
{
    return oeffner ? oeffner(ziel) : false;
}

QStringList& ZeichneShellAuf()
{
    aufgezeichnet.clear();
    oeffner = [](const QString& ziel) {
        aufgezeichnet << ziel;
        return true;
    };
    return aufgezeichnet;
}

QString HerstellerHomepage()
{
    return QStringLiteral(KOSTENWOLF_HOMEPAGE);
}

QString HerstellerEMail()
{
    return QStringLiteral(KOSTENWOLF_EMAIL);
}
