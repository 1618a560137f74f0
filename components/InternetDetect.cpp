#include "components/InternetDetect.h"

#include "components/Ras.h"
#include "runtime/Codepage.h"

#include <QTimer>
#include <cstring>
#include <vector>

namespace {

bool IstOnlineAdresse(const QString& adresse)
{
    return adresse != QLatin1String("127.0.0.1") && !adresse.isEmpty() && adresse != QLatin1String(" ");
}

struct TFund {
    QString Adresse;
    HRASCONN Verbindung = 0; // the one whose address counts as online
};

// The address the poll decides by: the first connection whose projection gives an
// address that counts as online; failing that, the first projection's text; empty
// without one.
TFund GefundeneAdresse()
{
    // One entry covers the usual single connection without touching the heap; a
    // second connection (a tunnel over the dial-up line) must not read as offline,
    // so then the list is fetched whole. It may grow between two calls.
    RASCONN eine[1] = {};
    eine[0].dwSize = sizeof(RASCONN);
    std::vector<RASCONN> mehrere;
    RASCONN* liste = eine;
    DWORD groesse = sizeof eine;
    DWORD anzahl = 0;
    DWORD ergebnis = RasEnumConnectionsA(liste, &groesse, &anzahl);
    for (int versuch = 0; ergebnis == ERROR_BUFFER_TOO_SMALL && versuch < 3; ++versuch) {
        mehrere.assign((groesse + sizeof(RASCONN) - 1) / sizeof(RASCONN), RASCONN {});
        mehrere[0].dwSize = sizeof(RASCONN);
        liste = mehrere.data();
        groesse = DWORD(mehrere.size() * sizeof(RASCONN));
        ergebnis = RasEnumConnectionsA(liste, &groesse, &anzahl);
    }
    if (ergebnis != ERROR_SUCCESS)
        return {};
    const DWORD platz = liste == eine ? 1 : DWORD(mehrere.size());

    QString erste;
    bool ersteGefunden = false;
    for (DWORD i = 0; i < anzahl && i < platz; ++i) {
        RASPPPIP projektion = {};
        projektion.dwSize = sizeof(RASPPPIP);
        DWORD projektionsGroesse = sizeof(RASPPPIP);
        if (RasGetProjectionInfoA(liste[i].hrasconn, RASP_PppIp, &projektion, &projektionsGroesse)
            != ERROR_SUCCESS)
            continue;
        const QString adresse = AusWindows1252(
            projektion.szIpAddress, strnlen(projektion.szIpAddress, sizeof projektion.szIpAddress));
        if (IstOnlineAdresse(adresse))
            return { adresse, liste[i].hrasconn };
        if (!ersteGefunden) {
            erste = adresse;
            ersteGefunden = true;
        }
    }
    return { erste, 0 };
}

} // namespace

TInternetDetect::TInternetDetect(QObject* AOwner)
    : QObject(AOwner)
    , FTimer(new QTimer(this))
{
    FTimer->setObjectName(QStringLiteral("Timer"));
    FTimer->setInterval(FCheckInterval);
    connect(FTimer, &QTimer::timeout, this, [this] { CheckConnection(FTimer); });
    FTimer->start();
}

TInternetDetect::~TInternetDetect()
{
    delete FTimer;
}

void TInternetDetect::SetCheckInterval(int wert)
{
    FCheckInterval = wert;
    if (wert > 0)
        FTimer->start(wert);
    else
        FTimer->stop();
}

std::optional<TBytestand> TInternetDetect::Bytes() const
{
    if (!FConnected)
        return std::nullopt;
    return RasVerbindungsBytes(FVerbindung);
}

void TInternetDetect::DoConnect(QObject* Sender)
{
    if (OnConnect)
        OnConnect(Sender);
}

void TInternetDetect::DoDisconnect(QObject* Sender)
{
    if (OnDisconnect)
        OnDisconnect(Sender);
}

void TInternetDetect::CheckConnection(QObject* Sender)
{
    const TFund fund = GefundeneAdresse();
    const QString& adresse = fund.Adresse;
    FVerbindung = fund.Verbindung;
    const bool warOnline = FConnected;
    const bool istOnline = IstOnlineAdresse(adresse);
    // Stored before either event, so the handlers see the new state.
    FConnected = istOnline;
    FIP = adresse;
    if (!warOnline && istOnline)
        DoConnect(Sender);
    else if (warOnline && !istOnline)
        DoDisconnect(Sender);
}
