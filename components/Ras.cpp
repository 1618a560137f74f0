#include "components/Ras.h"

#include <algorithm>
#include <cstring>

namespace {

TRasQuelle* Quelle = nullptr;

// Cuts to the field, always zero-terminated, as the service writes its strings.
template <std::size_t N> void Kopiere(char (&feld)[N], const std::string& text)
{
    const std::size_t n = std::min(text.size(), N - 1);
    std::memcpy(feld, text.data(), n);
    std::memset(feld + n, 0, N - n);
}

} // namespace

TRasQuelle& AktiveRasQuelle()
{
    return Quelle ? *Quelle : StandardRasQuelle();
}

std::string RasQuellenName()
{
    return StandardRasQuellenName();
}

TRasQuellenTausch::TRasQuellenTausch(TRasQuelle& quelle)
    : FVorige(Quelle)
{
    Quelle = &quelle;
}

TRasQuellenTausch::~TRasQuellenTausch()
{
    Quelle = FVorige;
}

DWORD RasEnumConnectionsA(RASCONN* lprasconn, LPDWORD lpcb, LPDWORD lpcConnections)
{
    if (!lpcb || !lpcConnections)
        return ERROR_INVALID_PARAMETER;
    if (lprasconn && *lpcb >= sizeof(RASCONN) && lprasconn->dwSize != sizeof(RASCONN))
        return ERROR_INVALID_SIZE;

    const auto liste = AktiveRasQuelle().Verbindungen();
    const DWORD noetig = DWORD(liste.size() * sizeof(RASCONN));
    if (noetig > 0 && (!lprasconn || *lpcb < noetig)) {
        *lpcb = noetig;
        *lpcConnections = DWORD(liste.size());
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (std::size_t i = 0; i < liste.size(); ++i) {
        RASCONN& eintrag = lprasconn[i];
        eintrag.dwSize = sizeof(RASCONN);
        eintrag.hrasconn = liste[i].Kennung;
        Kopiere(eintrag.szEntryName, liste[i].Eintrag);
        Kopiere(eintrag.szDeviceType, liste[i].Geraetetyp);
        Kopiere(eintrag.szDeviceName, liste[i].Geraet);
    }
    *lpcb = noetig;
    *lpcConnections = DWORD(liste.size());
    return ERROR_SUCCESS;
}

DWORD RasGetProjectionInfoA(HRASCONN hrasconn, RASPROJECTION rasprojection, LPVOID lpprojection, LPDWORD lpcb)
{
    if (!lpprojection || !lpcb)
        return ERROR_INVALID_PARAMETER;
    if (rasprojection != RASP_PppIp)
        return ERROR_PROTOCOL_NOT_CONFIGURED;
    if (*lpcb < sizeof(RASPPPIP)) {
        *lpcb = sizeof(RASPPPIP);
        return ERROR_BUFFER_TOO_SMALL;
    }
    auto* ip = static_cast<RASPPPIP*>(lpprojection);
    if (ip->dwSize != sizeof(RASPPPIP))
        return ERROR_INVALID_SIZE;
    if (hrasconn == 0)
        return ERROR_INVALID_HANDLE;

    // Asked afresh: a connection that went down since the enumeration has no projection.
    for (const auto& v : AktiveRasQuelle().Verbindungen()) {
        if (v.Kennung != hrasconn)
            continue;
        if (!v.Adresse)
            return ERROR_PROJECTION_NOT_COMPLETE;
        ip->dwError = 0;
        Kopiere(ip->szIpAddress, *v.Adresse);
        *lpcb = sizeof(RASPPPIP);
        return ERROR_SUCCESS;
    }
    return ERROR_INVALID_HANDLE;
}

std::optional<TBytestand> RasVerbindungsBytes(HRASCONN hrasconn)
{
    if (hrasconn == 0)
        return std::nullopt;
    return AktiveRasQuelle().Bytes(hrasconn);
}
