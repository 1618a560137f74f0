// The hand-over from a later start to the running instance, as a window message with
// copied data would carry it: dwData, cbData and cbData bytes. On the socket it travels
// as two little-endian 32-bit numbers followed by the bytes; the answer is one
// little-endian 32-bit signed number.
#pragma once

#include <QByteArray>
#include <QtGlobal>

struct TCopyData {
    quint32 dwData = 0;
    QByteArray Daten;
    quint32 cbData() const { return static_cast<quint32>(Daten.size()); }
};

// A whole message, header included, never exceeds this, so no client can make the
// running instance allocate more.
constexpr qsizetype MaxNachrichtGroesse = 64 * 1024;
constexpr qsizetype NachrichtKopfGroesse = 8;
constexpr qsizetype MaxNachrichtDaten = MaxNachrichtGroesse - NachrichtKopfGroesse;
constexpr qsizetype AntwortGroesse = 4;

// Longer data is cut to MaxNachrichtDaten bytes.
QByteArray KodiereNachricht(const TCopyData& nachricht);
QByteArray KodiereAntwort(qint32 antwort);
qint32 DekodiereAntwort(const char* vierBytes);

// Reads one message from bytes arriving in pieces.
class TNachrichtLeser {
public:
    enum TZustand { Unvollstaendig, Fertig, Ungueltig };

    // Takes what is needed from the bytes and returns the new state; bytes past the
    // end of the message are left alone.
    TZustand Lies(const QByteArray& stueck);
    // How many more bytes the message needs (never more than MaxNachrichtGroesse).
    qsizetype Fehlend() const;
    TZustand Zustand() const { return zustand; }
    const TCopyData& Nachricht() const { return nachricht; }

private:
    QByteArray kopf;
    quint32 erwartet = 0;
    TCopyData nachricht;
    TZustand zustand = Unvollstaendig;
};
