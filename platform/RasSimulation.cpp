#include "platform/RasSimulation.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TRasSimulation::TRasSimulation(std::string pfad)
    : FPfad(std::move(pfad))
{
}

std::vector<TRasVerbindung> TRasSimulation::Verbindungen()
{
    // Non-blocking, so that a pipe without a writer cannot hang the poll before the
    // type check turns it away.
    const int fd = ::open(FPfad.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string inhalt;
    struct stat info { };
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        inhalt.resize(std::min(std::size_t(info.st_size), SimulationHoechstGroesse));
        std::size_t gelesen = 0;
        while (gelesen < inhalt.size()) {
            const ssize_t n = ::read(fd, inhalt.data() + gelesen, inhalt.size() - gelesen);
            if (n <= 0)
                break;
            gelesen += std::size_t(n);
        }
        inhalt.resize(gelesen);
    }
    ::close(fd);
    return LeseSimulation(inhalt);
}

std::vector<TRasVerbindung> LeseSimulation(std::string_view inhalt)
{
    std::vector<TRasVerbindung> liste;
    while (!inhalt.empty()) {
        auto ende = inhalt.find('\n');
        std::string_view zeile = inhalt.substr(0, ende);
        inhalt.remove_prefix(ende == std::string_view::npos ? inhalt.size() : ende + 1);
        if (!zeile.empty() && zeile.back() == '\r') // written on Windows
            zeile.remove_suffix(1);
        if (zeile.empty())
            continue;
        TRasVerbindung v;
        v.Kennung = std::uint32_t(liste.size() + 1);
        v.Eintrag = "Simulation " + std::to_string(v.Kennung);
        v.Geraetetyp = "modem";
        v.Geraet = "Simulation";
        if (zeile != "-")
            v.Adresse = std::string(zeile);
        liste.push_back(std::move(v));
    }
    return liste;
}
