// Where the dial-up connection list comes from. The RAS functions of the unit Ras ask
// one of these for the connections that are up right now and shape the answer into
// the Windows records; tests put a fake one in their place.
#pragma once

#include "runtime/Bytestand.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TRasVerbindung {
    // Non-zero and the same for as long as the connection lasts; it becomes the
    // connection handle.
    std::uint32_t Kennung = 0;
    // Texts in the ANSI code page, cut to the record's fields by the RAS functions.
    std::string Eintrag;
    std::string Geraetetyp;
    std::string Geraet;
    // The PPP IP address text; none while the IP projection is not complete.
    std::optional<std::string> Adresse;
    // The link's byte counters where the source keeps them at hand; none otherwise.
    std::optional<TBytestand> Bytes;
};

class TRasQuelle {
public:
    virtual ~TRasQuelle() = default;
    // The active connections in order; asked afresh at every call.
    virtual std::vector<TRasVerbindung> Verbindungen() = 0;
    // The byte counters of the connection with this handle, read now: at most one read
    // of each counter. None when it is gone or its source cannot tell. Unless a source
    // reads them otherwise, they are those of the connection list.
    virtual std::optional<TBytestand> Bytes(std::uint32_t kennung);
};

// The source of a running program: the file named by KOSTENWOLF_RAS_SIMULATION when
// that variable is set; otherwise NetworkManager while it is on the system bus and
// answers; otherwise the network interfaces matching KOSTENWOLF_INTERFACES. The
// variables are read at every call, and NetworkManager coming or going switches the
// source at the next call.
TRasQuelle& StandardRasQuelle();

// The source StandardRasQuelle answers from right now, as the settings show it:
// "NetworkManager", "Netzwerkschnittstellen ppp*" or "Simulation FILE".
std::string StandardRasQuellenName();
