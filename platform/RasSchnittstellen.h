// Dial-up connections read from the network interfaces: an interface that is up and
// running and whose name matches one of the shell patterns is a connection, and its
// first IPv4 address is the PPP IP projection.
#pragma once

#include "platform/RasQuelle.h"

class TRasSchnittstellen : public TRasQuelle {
public:
    // Comma-separated shell patterns as in KOSTENWOLF_INTERFACES; blank or empty
    // means "ppp*", the names pppd gives its links.
    explicit TRasSchnittstellen(const std::string& muster);
    std::vector<TRasVerbindung> Verbindungen() override;

    const std::vector<std::string>& Muster() const { return FMuster; }
    bool Passt(const char* name) const;

private:
    std::vector<std::string> FMuster;
};
