#include "platform/RasQuelle.h"

#include "platform/RasSchnittstellen.h"
#include "platform/RasSimulation.h"

#include <cstdlib>

namespace {

class TStandardRasQuelle : public TRasQuelle {
public:
    std::vector<TRasVerbindung> Verbindungen() override
    {
        const char* datei = std::getenv("KOSTENWOLF_RAS_SIMULATION");
        if (datei && *datei)
            return TRasSimulation(datei).Verbindungen();
        const char* muster = std::getenv("KOSTENWOLF_INTERFACES");
        return TRasSchnittstellen(muster ? muster : "").Verbindungen();
    }
};

} // namespace

TRasQuelle& StandardRasQuelle()
{
    static TStandardRasQuelle quelle;
    return quelle;
}
