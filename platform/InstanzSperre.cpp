#include "platform/InstanzSperre.h"

TInstanzSperre::TInstanzSperre(const QString& pfad)
    : pfad(pfad)
    , sperre(std::make_unique<QLockFile>(pfad))
{
    // Only a dead owner makes the lock stale; a living one may hold it as long as its
    // set-up takes, however loaded the machine is.
    sperre->setStaleLockTime(0);
}

TInstanzSperre::~TInstanzSperre() = default;

TInstanzSperre::TErgebnis TInstanzSperre::Warte(int millisekunden)
{
    if (sperre->tryLock(millisekunden))
        return Erhalten;
    switch (sperre->error()) {
    case QLockFile::LockFailedError:
        return Zeitueberschreitung;
    case QLockFile::PermissionError:
        fehlertext = QStringLiteral("%1 (keine Berechtigung)").arg(pfad);
        return Fehler;
    default:
        fehlertext = QStringLiteral("%1 (die Sperrdatei kann nicht angelegt werden)").arg(pfad);
        return Fehler;
    }
}

void TInstanzSperre::Freigeben()
{
    if (sperre->isLocked())
        sperre->unlock();
}

bool TInstanzSperre::Gehalten() const
{
    return sperre->isLocked();
}
