// Dial-up connections as NetworkManager knows them: modems (GSM, CDMA, LTE through
// ModemManager), PPP and PPPoE links, Bluetooth dial-up, and whatever runs over a
// device NetworkManager reports as metered, which is how a tethered phone shows up.
// Their interfaces need not be named ppp*, so the pattern source misses them.
//
// The poll runs on the GUI thread once a second and must never wait for the bus, so
// the connections are kept in a view that NetworkManager's own signals keep current;
// the poll only reads that view. A NetworkManager slow to answer (a scan, a busy
// machine) leaves the view as it was: only leaving the bus ends what it showed.
#pragma once

#include "platform/RasQuelle.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QVariantMap>
#include <map>

class QDBusMessage;
class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

// One object as GetManagedObjects returns it: its interfaces with their properties.
using TNmObjekt = QMap<QString, QVariantMap>;
using TNmObjekte = QMap<QDBusObjectPath, TNmObjekt>;

struct TNmVerbindung {
    QString Pfad; // of the active connection
    QString Name;
    QString Geraetetyp;
    QString Geraet;
    QString GeraetPfad; // of its first device, whose counters are its bytes
    // None while the connection is still being brought up.
    std::optional<QString> Adresse;
};

// The active connections that count as dial-up, in NetworkManager's order.
std::vector<TNmVerbindung> NmWaehlverbindungen(const TNmObjekte& objekte);
// The interface names of the devices NetworkManager manages; a link it leaves alone (a
// modem dialled with pppd by hand) is not among them.
QSet<QString> NmVerwalteteSchnittstellen(const TNmObjekte& objekte);

class TRasNetworkManager : public QObject, public TRasQuelle {
    Q_OBJECT

public:
    explicit TRasNetworkManager(const QDBusConnection& bus, QObject* parent = nullptr);
    ~TRasNetworkManager() override;

    // NetworkManager is on the bus and has answered once: the view is complete. It stays
    // so while an answer is late, until NetworkManager leaves the bus.
    bool Bereit() const { return FDa; }
    // The view; empty while not ready.
    std::vector<TRasVerbindung> Verbindungen() override;
    // NetworkManager manages the interface of that name (as of the view).
    bool Verwaltet(const std::string& schnittstelle) const;
    // The counters of the connection's device: NetworkManager's statistics, which it
    // is asked to refresh every second, or, where it may not be asked, the kernel's
    // counters of the device's interface.
    std::optional<TBytestand> Bytes(std::uint32_t kennung) override;

private slots:
    void Signal(const QDBusMessage& nachricht);

private:
    // The devices of the connections in the view and their statistics.
    struct TNmGeraet {
        QString Pfad;
        std::string Schnittstelle;
        std::optional<std::uint64_t> Empfangen;
        std::optional<std::uint64_t> Gesendet;
    };
    void MerkeGeraete(const TNmObjekte& objekte);
    void NimmStatistik(const QString& pfad, const QVariantMap& werte);
    void StatistikSignal(const QDBusMessage& nachricht);
    void BitteUmStatistik(const QString& pfad);

    void Frage();
    void Antwort(QDBusPendingCallWatcher* aufruf);
    void Vergiss();
    void EigentuemerGewechselt(const QString& alt, const QString& neu);

    QDBusConnection FBus;
    QDBusServiceWatcher* FWaechter;
    QTimer FWiederholung;
    QDBusPendingCallWatcher* FOffen = nullptr;
    bool FNochmal = false;
    bool FDa = false;
    std::vector<TRasVerbindung> FSicht;
    QSet<QString> FVerwaltet;
    // Objects whose changes can change the view, beside the active connections.
    QSet<QString> FBeobachtet;
    // Handles stay the same for as long as an active connection lasts.
    std::map<QString, std::uint32_t> FKennungen;
    std::uint32_t FNaechsteKennung = 1;
    std::map<std::uint32_t, TNmGeraet> FGeraete;
    // Devices whose statistics refresh every second (or faster), and those asked to.
    QSet<QString> FStatistikLaeuft;
    QSet<QString> FStatistikGefragt;
};

// NetworkManager while it is ready, joined by the other source's links that it does
// not manage; the other source alone otherwise. Both give the same address for the same
// link, so a switch between them raises no event, and a link both see counts once.
class TRasVorrang : public TRasQuelle {
public:
    // Handles of the other source's links in the joined list, apart from
    // NetworkManager's.
    static constexpr std::uint32_t FremdeKennung = 0x8000'0000u;

    TRasVorrang(TRasNetworkManager& nm, TRasQuelle& sonst)
        : FNm(nm)
        , FSonst(sonst)
    {
    }
    std::vector<TRasVerbindung> Verbindungen() override;
    std::optional<TBytestand> Bytes(std::uint32_t kennung) override;

private:
    TRasNetworkManager& FNm;
    TRasQuelle& FSonst;
};
