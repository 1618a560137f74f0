#include "platform/InstanzNachricht.h"

#include <QtEndian>

QByteArray KodiereNachricht(const TCopyData& nachricht)
{
    const QByteArray daten = nachricht.Daten.left(MaxNachrichtDaten);
    QByteArray text(NachrichtKopfGroesse, '\0');
    qToLittleEndian<quint32>(nachricht.dwData, text.data());
    qToLittleEndian<quint32>(static_cast<quint32>(daten.size()), text.data() + 4);
    return text + daten;
}

QByteArray KodiereAntwort(qint32 antwort)
{
    QByteArray text(AntwortGroesse, '\0');
    qToLittleEndian<qint32>(antwort, text.data());
    return text;
}

qint32 DekodiereAntwort(const char* vierBytes)
{
    return qFromLittleEndian<qint32>(vierBytes);
}

TNachrichtLeser::TZustand TNachrichtLeser::Lies(const QByteArray& stueck)
{
    qsizetype pos = 0;
    while (zustand == Unvollstaendig && pos < stueck.size()) {
        if (kopf.size() < NachrichtKopfGroesse) {
            const qsizetype n = qMin(NachrichtKopfGroesse - kopf.size(), stueck.size() - pos);
            kopf.append(stueck.constData() + pos, n);
            pos += n;
            if (kopf.size() < NachrichtKopfGroesse)
                break;
            nachricht.dwData = qFromLittleEndian<quint32>(kopf.constData());
            erwartet = qFromLittleEndian<quint32>(kopf.constData() + 4);
            if (erwartet > static_cast<quint32>(MaxNachrichtDaten)) {
                zustand = Ungueltig;
                break;
            }
            nachricht.Daten.reserve(erwartet);
        }
        const qsizetype n = qMin<qsizetype>(erwartet - nachricht.Daten.size(), stueck.size() - pos);
        nachricht.Daten.append(stueck.constData() + pos, n);
        pos += n;
        if (nachricht.Daten.size() == static_cast<qsizetype>(erwartet))
            zustand = Fertig;
    }
    return zustand;
}

qsizetype TNachrichtLeser::Fehlend() const
{
    if (zustand != Unvollstaendig)
        return 0;
    if (kopf.size() < NachrichtKopfGroesse)
        return NachrichtKopfGroesse - kopf.size();
    return erwartet - nachricht.Daten.size();
}
