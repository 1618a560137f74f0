// A RAS whose connections the test sets; installed behind RasEnumConnectionsA and
// RasGetProjectionInfoA while it lives, the real source is back afterwards.
#pragma once

#include "components/Ras.h"

#include <string>
#include <vector>

class TFalscheRas : public TRasQuelle {
public:
    std::vector<TRasVerbindung> Liste;
    int Abfragen = 0;

    std::vector<TRasVerbindung> Verbindungen() override
    {
        ++Abfragen;
        return Liste;
    }

    // Adds a connection; without an address its projection is not complete yet.
    TRasVerbindung& Neu(std::optional<std::string> adresse, std::uint32_t kennung = 0)
    {
        TRasVerbindung v;
        v.Kennung = kennung ? kennung : std::uint32_t(100 + Liste.size());
        v.Eintrag = "Verbindung " + std::to_string(v.Kennung);
        v.Geraetetyp = "modem";
        v.Geraet = "Testmodem";
        v.Adresse = std::move(adresse);
        Liste.push_back(std::move(v));
        return Liste.back();
    }
    // Exactly one connection with this address.
    void Nur(const std::string& adresse)
    {
        Liste.clear();
        Neu(adresse);
    }

private:
    TRasQuellenTausch FTausch { *this };
};
