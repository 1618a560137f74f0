#include "platform/RasQuelle.h"

#include "platform/RasNetworkManager.h"
#include "platform/RasSchnittstellen.h"
#include "platform/RasSimulation.h"

#include <QCoreApplication>
#include <QPointer>
#include <cstdlib>

namespace {

const char* Simulation()
{
    const char* datei = std::getenv("KOSTENWOLF_RAS_SIMULATION");
    return datei && *datei ? datei : nullptr;
}

std::string Muster()
{
    const char* muster = std::getenv("KOSTENWOLF_INTERFACES");
    return muster ? muster : "";
}

// Made on first need and owned by the application, so it goes before the bus
// connections do; without an application there is no event loop to keep its view.
TRasNetworkManager* NetworkManager()
{
    static QPointer<TRasNetworkManager> nm;
    if (!nm && QCoreApplication::instance())
        nm = new TRasNetworkManager(QDBusConnection::systemBus(), QCoreApplication::instance());
    return nm;
}

class TStandardRasQuelle : public TRasQuelle {
public:
    std::vector<TRasVerbindung> Verbindungen() override
    {
        if (const char* datei = Simulation())
            return TRasSimulation(datei).Verbindungen();
        TRasSchnittstellen schnittstellen(Muster());
        if (TRasNetworkManager* nm = NetworkManager())
            return TRasVorrang(*nm, schnittstellen).Verbindungen();
        return schnittstellen.Verbindungen();
    }

    std::optional<TBytestand> Bytes(std::uint32_t kennung) override
    {
        if (const char* datei = Simulation())
            return TRasSimulation(datei).Bytes(kennung);
        TRasSchnittstellen schnittstellen(Muster());
        if (TRasNetworkManager* nm = NetworkManager())
            return TRasVorrang(*nm, schnittstellen).Bytes(kennung);
        return schnittstellen.Bytes(kennung);
    }
};

} // namespace

std::optional<TBytestand> TRasQuelle::Bytes(std::uint32_t kennung)
{
    for (const TRasVerbindung& v : Verbindungen())
        if (v.Kennung == kennung)
            return v.Bytes;
    return std::nullopt;
}

TRasQuelle& StandardRasQuelle()
{
    static TStandardRasQuelle quelle;
    return quelle;
}

std::string StandardRasQuellenName()
{
    if (const char* datei = Simulation())
        return std::string("Simulation ") + datei;
    if (TRasNetworkManager* nm = NetworkManager(); nm && nm->Bereit())
        return "NetworkManager";
    std::string name = "Netzwerkschnittstellen";
    const TRasSchnittstellen schnittstellen(Muster());
    for (std::size_t i = 0; i < schnittstellen.Muster().size(); ++i)
        name += (i ? ", " : " ") + schnittstellen.Muster()[i];
    return name;
}
