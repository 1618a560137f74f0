// Dial-up connections read from a text file, so the program can be tried and tested
// without a modem. Every non-empty line is one connection holding the address text
// its projection returns; a line of just "-" is a connection still negotiating. Two
// numbers after the address are its received and sent bytes ("192.0.2.7 1200000
// 300000"); without them its bytes are unknown.
#pragma once

#include "platform/RasQuelle.h"

#include <string_view>

class TRasSimulation : public TRasQuelle {
public:
    explicit TRasSimulation(std::string pfad);
    // A missing, unreadable or special file (a pipe, a device) means no connection.
    std::vector<TRasVerbindung> Verbindungen() override;

private:
    std::string FPfad;
};

std::vector<TRasVerbindung> LeseSimulation(std::string_view inhalt);

// More than this is not read, so a wrong path cannot stall the poll.
constexpr std::size_t SimulationHoechstGroesse = 64 * 1024;
