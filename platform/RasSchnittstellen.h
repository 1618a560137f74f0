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
    // The counters of the interface whose index is the handle.
    std::optional<TBytestand> Bytes(std::uint32_t kennung) override;

    const std::vector<std::string>& Muster() const { return FMuster; }
    bool Passt(const char* name) const;

private:
    std::vector<std::string> FMuster;
};

// The kernel's counters of one interface, /sys/class/net/NAME/statistics/rx_bytes and
// tx_bytes; none when the interface or either file is not there.
std::optional<TBytestand> SchnittstellenBytes(const std::string& name);
