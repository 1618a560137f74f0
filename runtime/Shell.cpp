#include "runtime/Shell.h"

namespace {
TShellOeffner oeffner;
} // namespace

void InstalliereShellOeffner(TShellOeffner neu)
{
    oeffner = std::move(neu);
}

bool ShellExecuteOpen(const QString& ziel)
{
    return oeffner ? oeffner(ziel) : false;
}

QString HerstellerHomepage()
{
    return QStringLiteral(KOSTENWOLF_HOMEPAGE);
}

QString HerstellerEMail()
{
    return QStringLiteral(KOSTENWOLF_EMAIL);
}
