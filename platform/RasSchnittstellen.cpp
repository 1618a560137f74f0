#include "platform/RasSchnittstellen.h"

#include <arpa/inet.h>
#include <charconv>
#include <fcntl.h>
#include <fnmatch.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

namespace {

std::string OhneLeerraum(const std::string& text)
{
    const auto anfang = text.find_first_not_of(" \t");
    if (anfang == std::string::npos)
        return {};
    const auto ende = text.find_last_not_of(" \t");
    return text.substr(anfang, ende - anfang + 1);
}

// One decimal counter file of sysfs; its text is short, one read takes it whole.
std::optional<std::uint64_t> LeseZaehler(const std::string& pfad)
{
    const int fd = ::open(pfad.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char text[32];
    const ssize_t n = ::read(fd, text, sizeof text);
    ::close(fd);
    if (n <= 0)
        return std::nullopt;
    std::uint64_t wert = 0;
    const auto [ende, fehler] = std::from_chars(text, text + n, wert);
    if (fehler != std::errc() || ende == text)
        return std::nullopt;
    return wert;
}

} // namespace

std::optional<TBytestand> SchnittstellenBytes(const std::string& name)
{
    // A name from elsewhere must not lead out of the interface's folder.
    if (name.empty() || name.size() >= IFNAMSIZ || name == "." || name == ".."
        || name.find('/') != std::string::npos)
        return std::nullopt;
    const std::string ordner = "/sys/class/net/" + name + "/statistics/";
    const auto empfangen = LeseZaehler(ordner + "rx_bytes");
    if (!empfangen)
        return std::nullopt;
    const auto gesendet = LeseZaehler(ordner + "tx_bytes");
    if (!gesendet)
        return std::nullopt;
    return TBytestand { *empfangen, *gesendet };
}

std::optional<TBytestand> TRasSchnittstellen::Bytes(std::uint32_t kennung)
{
    char name[IF_NAMESIZE] = {};
    if (kennung == 0 || !if_indextoname(kennung, name) || !Passt(name))
        return std::nullopt;
    return SchnittstellenBytes(name);
}

TRasSchnittstellen::TRasSchnittstellen(const std::string& muster)
{
    std::size_t von = 0;
    while (von <= muster.size()) {
        auto bis = muster.find(',', von);
        if (bis == std::string::npos)
            bis = muster.size();
        std::string eines = OhneLeerraum(muster.substr(von, bis - von));
        if (!eines.empty())
            FMuster.push_back(std::move(eines));
        von = bis + 1;
    }
    if (FMuster.empty())
        FMuster.push_back("ppp*");
}

bool TRasSchnittstellen::Passt(const char* name) const
{
    for (const auto& m : FMuster)
        if (fnmatch(m.c_str(), name, 0) == 0)
            return true;
    return false;
}

std::vector<TRasVerbindung> TRasSchnittstellen::Verbindungen()
{
    std::vector<TRasVerbindung> liste;
    ifaddrs* alle = nullptr;
    if (getifaddrs(&alle) != 0)
        return liste;
    // Every link is listed once without an IPv4 address before any address entries,
    // so the order of first appearance is the order of the interface indices.
    for (const ifaddrs* a = alle; a; a = a->ifa_next) {
        if (!a->ifa_name || (a->ifa_flags & (IFF_UP | IFF_RUNNING)) != (IFF_UP | IFF_RUNNING)
            || !Passt(a->ifa_name))
            continue;
        TRasVerbindung* v = nullptr;
        for (auto& bekannt : liste)
            if (bekannt.Eintrag == a->ifa_name)
                v = &bekannt;
        if (!v) {
            const unsigned index = if_nametoindex(a->ifa_name);
            if (index == 0) // gone since getifaddrs
                continue;
            liste.push_back({ index, a->ifa_name, "modem", a->ifa_name, std::nullopt, std::nullopt });
            v = &liste.back();
        }
        if (!v->Adresse && a->ifa_addr && a->ifa_addr->sa_family == AF_INET) {
            char text[INET_ADDRSTRLEN] = {};
            const auto* ip = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
            if (inet_ntop(AF_INET, &ip->sin_addr, text, sizeof text))
                v->Adresse = text;
        }
    }
    freeifaddrs(alle);
    return liste;
}
