// A later start's end of the hand-over. Written against the plain socket interface
// because it runs before the application object, and with it Qt's event machinery,
// exists.
#pragma once

#include "platform/InstanzNachricht.h"

#include <QString>

struct TUebergabe {
    enum TErgebnis {
        KeinServer, // no socket, or one that nobody listens at any more
        Beantwortet, // Antwort holds the running instance's answer
        KeineAntwort, // connected, but no answer came within the time
        Fehler, // the socket could not be used at all
    };
    TErgebnis Ergebnis = KeinServer;
    qint32 Antwort = 0;
    QString Fehlertext;
};

// Sends one message to the server at pfad and waits at most millisekunden for each of
// connecting and answering.
TUebergabe UebergibAnInstanz(const QString& pfad, const TCopyData& nachricht, int millisekunden);
