#include "platform/RasSimulation.h"

#include <algorithm>
#include <charconv>
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

namespace {

// The next blank-separated word of the line, taken off its end.
std::string_view LetztesWort(std::string_view& zeile)
{
    const auto ende = zeile.find_last_not_of(" \t");
    if (ende == std::string_view::npos)
        return {};
    const auto anfang = zeile.find_last_of(" \t", ende);
    const std::size_t von = anfang == std::string_view::npos ? 0 : anfang + 1;
    const std::string_view wort = zeile.substr(von, ende + 1 - von);
    zeile = zeile.substr(0, von);
    return wort;
}

std::optional<std::uint64_t> Zahl(std::string_view wort)
{
    std::uint64_t wert = 0;
    const auto [ende, fehler] = std::from_chars(wort.data(), wort.data() + wort.size(), wert);
    if (wort.empty() || fehler != std::errc() || ende != wort.data() + wort.size())
        return std::nullopt;
    return wert;
}

// "ADDRESS RECEIVED SENT": the counters come off the end of the line. A line without
// two numbers there is the address text alone, blanks and all.
std::optional<TBytestand> NimmBytes(std::string_view& zeile)
{
    std::string_view rest = zeile;
    const auto gesendet = Zahl(LetztesWort(rest));
    const auto empfangen = Zahl(LetztesWort(rest));
    const auto ende = rest.find_last_not_of(" \t");
    if (!gesendet || !empfangen || ende == std::string_view::npos)
        return std::nullopt;
    zeile = rest.substr(0, ende + 1);
    return TBytestand { *empfangen, *gesendet };
}

} // namespace

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
        v.Bytes = NimmBytes(zeile);
        if (zeile != "-")
            v.Adresse = std::string(zeile);
        liste.push_back(std::move(v));
    }
    return liste;
}
