#include "platform/RasNetworkManager.h"

#include "platform/RasSchnittstellen.h"
#include "runtime/Codepage.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace {

const QString Dienst = QStringLiteral("org.freedesktop.NetworkManager");
const QString Verwalter = QStringLiteral("/org/freedesktop/NetworkManager");
const QString Wurzel = QStringLiteral("/org/freedesktop");
const QString Eigenschaften = QStringLiteral("org.freedesktop.DBus.Properties");
const QString Objektverwalter = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString AktivIf = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString GeraetIf = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString Ip4If = QStringLiteral("org.freedesktop.NetworkManager.IP4Config");
const QString AktivPfade = QStringLiteral("/org/freedesktop/NetworkManager/ActiveConnection/");
const QString StatistikIf = QStringLiteral("org.freedesktop.NetworkManager.Device.Statistics");
const QString Rate = QStringLiteral("RefreshRateMs");

// One refresh a second matches the meter's tick; a faster one set by someone else is
// just as good.
constexpr uint StatistikRate = 1000;

// Values of NetworkManager's D-Bus API.
constexpr uint GeraetModem = 8;
constexpr uint GeraetPpp = 23;
constexpr uint GemessenJa = 1;
constexpr uint GemessenVermutlichJa = 3;
constexpr uint AktivWirdAufgebaut = 1;
constexpr uint AktivSteht = 2;
constexpr uint GeraetUnbekannt = 0;
constexpr uint GeraetNichtVerwaltet = 10;

// A wrong answer must not keep us asking it in a tight loop.
constexpr int WiederholungNachFehler = 1000;

// Every value from the bus is looked at before it is converted: a value of another type
// counts as not given. Converting blindly is no option: an array of arrays cast to a list
// of paths never reaches its end.
bool HatSignatur(const QVariant& wert, QLatin1String signatur)
{
    return wert.userType() == qMetaTypeId<QDBusArgument>()
        && qvariant_cast<QDBusArgument>(wert).currentSignature() == signatur;
}

QString Pfad(const QVariant& wert)
{
    return wert.userType() == qMetaTypeId<QDBusObjectPath>() ? wert.value<QDBusObjectPath>().path()
                                                             : QString();
}

QList<QDBusObjectPath> Pfade(const QVariant& wert)
{
    if (wert.userType() == qMetaTypeId<QList<QDBusObjectPath>>())
        return wert.value<QList<QDBusObjectPath>>();
    return HatSignatur(wert, QLatin1String("ao")) ? qdbus_cast<QList<QDBusObjectPath>>(wert)
                                                  : QList<QDBusObjectPath>();
}

QString Text(const QVariant& wert)
{
    return wert.typeId() == QMetaType::QString ? wert.toString() : QString();
}

uint Zahl(const QVariant& wert)
{
    return wert.typeId() == QMetaType::UInt ? wert.toUInt() : 0;
}

QVariantMap Eigenschaftsliste(const QVariant& wert)
{
    if (wert.typeId() == QMetaType::QVariantMap)
        return wert.toMap();
    return HatSignatur(wert, QLatin1String("a{sv}")) ? qdbus_cast<QVariantMap>(wert) : QVariantMap();
}

QVariantMap Schnittstelle(const TNmObjekte& objekte, const QString& pfad, const QString& name)
{
    if (pfad.isEmpty() || pfad == QLatin1String("/"))
        return {};
    return objekte.value(QDBusObjectPath(pfad)).value(name);
}

std::optional<QString> ErsteAdresse(const QVariantMap& ip4)
{
    const QVariant daten = ip4.value(QStringLiteral("AddressData"));
    QList<QVariantMap> eintraege;
    if (daten.userType() == qMetaTypeId<QList<QVariantMap>>())
        eintraege = daten.value<QList<QVariantMap>>();
    else if (HatSignatur(daten, QLatin1String("aa{sv}")))
        eintraege = qdbus_cast<QList<QVariantMap>>(daten);
    for (const QVariantMap& eintrag : eintraege) {
        const QString adresse = Text(eintrag.value(QStringLiteral("address")));
        if (!adresse.isEmpty())
            return adresse;
    }
    return std::nullopt;
}

bool IstWaehlverbindung(const QString& typ, const QVariantMap& geraet)
{
    static const QStringList Waehltypen { QStringLiteral("gsm"), QStringLiteral("cdma"),
        QStringLiteral("pppoe"), QStringLiteral("bluetooth") };
    if (Waehltypen.contains(typ))
        return true;
    const uint geraetetyp = Zahl(geraet.value(QStringLiteral("DeviceType")));
    if (geraetetyp == GeraetModem || geraetetyp == GeraetPpp)
        return true;
    // A phone shared over USB or Wi-Fi is plain Ethernet or Wi-Fi to NetworkManager;
    // only its metered guess tells it apart from the home network.
    const uint gemessen = Zahl(geraet.value(QStringLiteral("Metered")));
    return gemessen == GemessenJa || gemessen == GemessenVermutlichJa;
}

// Every name the signals below can change the view through.
bool BetrifftSicht(const QString& schnittstelle, const QVariantMap& geaendert)
{
    static const QSet<QString> Namen { QStringLiteral("ActiveConnections"), QStringLiteral("State"),
        QStringLiteral("Devices"), QStringLiteral("Type"), QStringLiteral("Id"), QStringLiteral("Ip4Config"),
        QStringLiteral("AddressData"), QStringLiteral("Metered"), QStringLiteral("DeviceType"),
        QStringLiteral("Interface"), QStringLiteral("IpInterface") };
    if (!schnittstelle.startsWith(Dienst))
        return false;
    for (auto it = geaendert.keyBegin(); it != geaendert.keyEnd(); ++it)
        if (Namen.contains(*it))
            return true;
    return false;
}

} // namespace

std::vector<TNmVerbindung> NmWaehlverbindungen(const TNmObjekte& objekte)
{
    std::vector<TNmVerbindung> liste;
    const QVariantMap verwalter = Schnittstelle(objekte, Verwalter, Dienst);
    const auto aktive = Pfade(verwalter.value(QStringLiteral("ActiveConnections")));
    for (const QDBusObjectPath& pfad : aktive) {
        const QVariantMap aktiv = Schnittstelle(objekte, pfad.path(), AktivIf);
        const uint zustand = Zahl(aktiv.value(QStringLiteral("State")));
        if (zustand != AktivWirdAufgebaut && zustand != AktivSteht)
            continue; // going down counts as gone
        const auto geraete = Pfade(aktiv.value(QStringLiteral("Devices")));
        const QVariantMap geraet
            = geraete.isEmpty() ? QVariantMap() : Schnittstelle(objekte, geraete.first().path(), GeraetIf);
        const QString typ = Text(aktiv.value(QStringLiteral("Type")));
        if (!IstWaehlverbindung(typ, geraet))
            continue;

        TNmVerbindung v;
        v.Pfad = pfad.path();
        v.Name = Text(aktiv.value(QStringLiteral("Id")));
        v.Geraetetyp = typ == QLatin1String("pppoe") ? QStringLiteral("PPPoE") : QStringLiteral("modem");
        v.GeraetPfad = geraete.isEmpty() ? QString() : geraete.first().path();
        v.Geraet = Text(geraet.value(QStringLiteral("IpInterface")));
        if (v.Geraet.isEmpty())
            v.Geraet = Text(geraet.value(QStringLiteral("Interface")));
        if (zustand == AktivSteht) {
            v.Adresse
                = ErsteAdresse(Schnittstelle(objekte, Pfad(aktiv.value(QStringLiteral("Ip4Config"))), Ip4If));
            if (!v.Adresse)
                v.Adresse = ErsteAdresse(
                    Schnittstelle(objekte, Pfad(geraet.value(QStringLiteral("Ip4Config"))), Ip4If));
        }
        liste.push_back(std::move(v));
    }
    return liste;
}

QSet<QString> NmVerwalteteSchnittstellen(const TNmObjekte& objekte)
{
    QSet<QString> namen;
    for (const TNmObjekt& objekt : objekte) {
        const auto geraet = objekt.find(GeraetIf);
        if (geraet == objekt.end())
            continue;
        const uint zustand = geraet->value(QStringLiteral("State")).toUInt();
        if (zustand == GeraetUnbekannt || zustand == GeraetNichtVerwaltet)
            continue;
        for (const QString& name : { QStringLiteral("Interface"), QStringLiteral("IpInterface") })
            if (const QString schnittstelle = geraet->value(name).toString(); !schnittstelle.isEmpty())
                namen.insert(schnittstelle);
    }
    return namen;
}

TRasNetworkManager::TRasNetworkManager(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , FBus(bus)
    , FWaechter(new QDBusServiceWatcher(Dienst, bus, QDBusServiceWatcher::WatchForOwnerChange, this))
{
    qDBusRegisterMetaType<QVariantMap>();
    qDBusRegisterMetaType<QList<QVariantMap>>();
    qDBusRegisterMetaType<TNmObjekt>();
    qDBusRegisterMetaType<TNmObjekte>();

    FWiederholung.setSingleShot(true);
    FWiederholung.setInterval(WiederholungNachFehler);
    connect(&FWiederholung, &QTimer::timeout, this, &TRasNetworkManager::Frage);
    connect(FWaechter, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString&, const QString& alt, const QString& neu) { EigentuemerGewechselt(alt, neu); });

    // Older NetworkManagers send the per-interface PropertiesChanged, newer ones the
    // standard one; the view follows either.
    const auto verbinde = [this](const QString& schnittstelle, const QString& name) {
        FBus.connect(Dienst, QString(), schnittstelle, name, this, SLOT(Signal(QDBusMessage)));
    };
    verbinde(Eigenschaften, QStringLiteral("PropertiesChanged"));
    verbinde(Objektverwalter, QStringLiteral("InterfacesAdded"));
    verbinde(Objektverwalter, QStringLiteral("InterfacesRemoved"));
    for (const QString& schnittstelle : { Dienst, AktivIf, GeraetIf, Ip4If })
        verbinde(schnittstelle, QStringLiteral("PropertiesChanged"));
    for (const QString& schnittstelle : { Dienst, AktivIf, GeraetIf })
        verbinde(schnittstelle, QStringLiteral("StateChanged"));
    Frage();
}

TRasNetworkManager::~TRasNetworkManager()
{
    delete FOffen;
}

std::vector<TRasVerbindung> TRasNetworkManager::Verbindungen()
{
    return Bereit() ? FSicht : std::vector<TRasVerbindung>();
}

bool TRasNetworkManager::Verwaltet(const std::string& schnittstelle) const
{
    return FVerwaltet.contains(QString::fromStdString(schnittstelle));
}

void TRasNetworkManager::Frage()
{
    if (!FBus.isConnected()) // no system bus at all: nobody to ask, now or later
        return;
    if (FOffen) {
        FNochmal = true;
        return;
    }
    FWiederholung.stop();
    QDBusMessage frage = QDBusMessage::createMethodCall(
        Dienst, Wurzel, Objektverwalter, QStringLiteral("GetManagedObjects"));
    // A machine without NetworkManager must not get one started by our asking.
    frage.setAutoStartService(false);
    FOffen = new QDBusPendingCallWatcher(FBus.asyncCall(frage), this);
    connect(FOffen, &QDBusPendingCallWatcher::finished, this, &TRasNetworkManager::Antwort);
}

void TRasNetworkManager::Antwort(QDBusPendingCallWatcher* aufruf)
{
    aufruf->deleteLater();
    if (aufruf != FOffen)
        return;
    FOffen = nullptr;
    const QDBusPendingReply<TNmObjekte> antwort = *aufruf;
    if (antwort.isError()) {
        const QDBusError::ErrorType fehler = antwort.error().type();
        if (fehler == QDBusError::ServiceUnknown)
            Vergiss(); // the watcher tells us when it comes
        else
            FWiederholung.start(); // the view stands until an answer changes it
        FNochmal = false;
        return;
    }

    const TNmObjekte objekte = antwort.value();
    std::vector<TRasVerbindung> sicht;
    std::map<QString, std::uint32_t> kennungen;
    for (const TNmVerbindung& v : NmWaehlverbindungen(objekte)) {
        std::uint32_t kennung = FKennungen[v.Pfad];
        if (kennung == 0) {
            kennung = FNaechsteKennung++;
            // Zero is no handle, and the upper half is the other source's.
            if (FNaechsteKennung >= TRasVorrang::FremdeKennung)
                FNaechsteKennung = 1;
        }
        kennungen[v.Pfad] = kennung;
        TRasVerbindung r;
        r.Kennung = kennung;
        r.Eintrag = NachWindows1252(v.Name);
        r.Geraetetyp = NachWindows1252(v.Geraetetyp);
        r.Geraet = NachWindows1252(v.Geraet);
        if (v.Adresse)
            r.Adresse = v.Adresse->toStdString();
        sicht.push_back(std::move(r));
    }
    FKennungen = std::move(kennungen);
    MerkeGeraete(objekte);

    FBeobachtet.clear();
    const auto aktive
        = Pfade(Schnittstelle(objekte, Verwalter, Dienst).value(QStringLiteral("ActiveConnections")));
    for (const QDBusObjectPath& pfad : aktive) {
        const QVariantMap aktiv = Schnittstelle(objekte, pfad.path(), AktivIf);
        FBeobachtet.insert(Pfad(aktiv.value(QStringLiteral("Ip4Config"))));
        for (const QDBusObjectPath& geraet : Pfade(aktiv.value(QStringLiteral("Devices")))) {
            FBeobachtet.insert(geraet.path());
            FBeobachtet.insert(
                Pfad(Schnittstelle(objekte, geraet.path(), GeraetIf).value(QStringLiteral("Ip4Config"))));
        }
    }

    FSicht = std::move(sicht);
    FVerwaltet = NmVerwalteteSchnittstellen(objekte);
    FDa = true;
    if (FNochmal) {
        FNochmal = false;
        Frage();
    }
}

void TRasNetworkManager::Signal(const QDBusMessage& nachricht)
{
    StatistikSignal(nachricht);
    const QString pfad = nachricht.path();
    const QString name = nachricht.member();
    const QVariantList argumente = nachricht.arguments();
    const bool beobachtet = pfad == Verwalter || pfad.startsWith(AktivPfade) || FBeobachtet.contains(pfad);

    bool wichtig = false;
    if (name == QLatin1String("PropertiesChanged")) {
        if (nachricht.interface() == Eigenschaften && argumente.size() >= 2)
            wichtig = BetrifftSicht(Text(argumente[0]), Eigenschaftsliste(argumente[1]));
        else if (!argumente.isEmpty())
            wichtig = BetrifftSicht(nachricht.interface(), Eigenschaftsliste(argumente[0]));
        wichtig = wichtig && beobachtet;
    }
    else if (name == QLatin1String("StateChanged")) {
        wichtig = beobachtet;
    }
    else if (!argumente.isEmpty()) { // an object came or went
        const QString objekt = Pfad(argumente[0]);
        wichtig = objekt.startsWith(AktivPfade) || FBeobachtet.contains(objekt);
    }
    if (wichtig)
        Frage();
}

void TRasNetworkManager::Vergiss()
{
    delete FOffen;
    FOffen = nullptr;
    FWiederholung.stop();
    FDa = false;
    FSicht.clear();
    FVerwaltet.clear();
    FBeobachtet.clear();
    FKennungen.clear();
    FGeraete.clear();
    FStatistikLaeuft.clear();
    FStatistikGefragt.clear();
}

void TRasNetworkManager::EigentuemerGewechselt(const QString& alt, const QString& neu)
{
    if (!alt.isEmpty())
        Vergiss();
    if (!neu.isEmpty())
        Frage();
}

void TRasNetworkManager::MerkeGeraete(const TNmObjekte& objekte)
{
    std::map<std::uint32_t, TNmGeraet> geraete;
    for (const TNmVerbindung& v : NmWaehlverbindungen(objekte)) {
        const auto kennung = FKennungen.find(v.Pfad);
        if (kennung == FKennungen.end() || v.GeraetPfad.isEmpty())
            continue;
        TNmGeraet& g = geraete[kennung->second];
        g.Pfad = v.GeraetPfad;
        g.Schnittstelle = v.Geraet.toStdString();
        if (const auto alt = FGeraete.find(kennung->second);
            alt != FGeraete.end() && alt->second.Pfad == g.Pfad) {
            g.Empfangen = alt->second.Empfangen;
            g.Gesendet = alt->second.Gesendet;
        }
    }
    FGeraete = std::move(geraete);
    for (const auto& [kennung, g] : FGeraete) {
        const QVariantMap statistik = Schnittstelle(objekte, g.Pfad, StatistikIf);
        if (statistik.isEmpty())
            continue; // an older NetworkManager: the interface's counters
        NimmStatistik(g.Pfad, statistik);
        BitteUmStatistik(g.Pfad);
    }
}

void TRasNetworkManager::NimmStatistik(const QString& pfad, const QVariantMap& werte)
{
    if (werte.contains(Rate)) {
        const uint rate = Zahl(werte.value(Rate));
        if (rate > 0 && rate <= StatistikRate)
            FStatistikLaeuft.insert(pfad);
        else
            FStatistikLaeuft.remove(pfad);
    }
    for (auto& [kennung, g] : FGeraete) {
        if (g.Pfad != pfad)
            continue;
        if (const QVariant n = werte.value(QStringLiteral("RxBytes")); n.typeId() == QMetaType::ULongLong)
            g.Empfangen = n.toULongLong();
        if (const QVariant n = werte.value(QStringLiteral("TxBytes")); n.typeId() == QMetaType::ULongLong)
            g.Gesendet = n.toULongLong();
    }
}

void TRasNetworkManager::StatistikSignal(const QDBusMessage& nachricht)
{
    const QVariantList argumente = nachricht.arguments();
    if (nachricht.member() == QLatin1String("PropertiesChanged") && nachricht.interface() == Eigenschaften
        && argumente.size() >= 2 && Text(argumente[0]) == StatistikIf)
        NimmStatistik(nachricht.path(), Eigenschaftsliste(argumente[1]));
}

void TRasNetworkManager::BitteUmStatistik(const QString& pfad)
{
    if (FStatistikLaeuft.contains(pfad) || FStatistikGefragt.contains(pfad))
        return;
    // Asked once per device: NetworkManager lets only those allowed to change it.
    FStatistikGefragt.insert(pfad);
    QDBusMessage frage = QDBusMessage::createMethodCall(Dienst, pfad, Eigenschaften, QStringLiteral("Set"));
    frage << StatistikIf << Rate << QVariant::fromValue(QDBusVariant(StatistikRate));
    frage.setAutoStartService(false);
    auto* aufruf = new QDBusPendingCallWatcher(FBus.asyncCall(frage), this);
    connect(aufruf, &QDBusPendingCallWatcher::finished, this, [this, pfad](QDBusPendingCallWatcher* a) {
        a->deleteLater();
        if (!a->isError() && FStatistikGefragt.contains(pfad))
            FStatistikLaeuft.insert(pfad);
    });
}

std::optional<TBytestand> TRasNetworkManager::Bytes(std::uint32_t kennung)
{
    const auto it = Bereit() ? FGeraete.find(kennung) : FGeraete.end();
    if (it == FGeraete.end())
        return std::nullopt;
    const TNmGeraet& g = it->second;
    if (FStatistikLaeuft.contains(g.Pfad) && g.Empfangen && g.Gesendet)
        return TBytestand { *g.Empfangen, *g.Gesendet };
    return SchnittstellenBytes(g.Schnittstelle);
}

std::vector<TRasVerbindung> TRasVorrang::Verbindungen()
{
    if (!FNm.Bereit())
        return FSonst.Verbindungen();
    std::vector<TRasVerbindung> liste = FNm.Verbindungen();
    const size_t eigene = liste.size();
    for (TRasVerbindung& v : FSonst.Verbindungen()) {
        // A link NetworkManager manages is its to count, or not to count.
        if (FNm.Verwaltet(v.Geraet))
            continue;
        bool gezaehlt = false;
        for (size_t i = 0; i < eigene; ++i)
            gezaehlt = gezaehlt || liste[i].Geraet == v.Geraet;
        if (gezaehlt)
            continue;
        v.Kennung |= FremdeKennung;
        liste.push_back(std::move(v));
    }
    return liste;
}

std::optional<TBytestand> TRasVorrang::Bytes(std::uint32_t kennung)
{
    if (!FNm.Bereit())
        return FSonst.Bytes(kennung);
    if (kennung & FremdeKennung)
        return FSonst.Bytes(kennung & ~FremdeKennung);
    return FNm.Bytes(kennung);
}
