// The Remote Access Service as the connection detector calls it: the records in their
// 32-bit Windows layouts, the result codes and the two functions with their Windows
// signatures. On Linux the answers come from a TRasQuelle.
#pragma once

#include "platform/RasQuelle.h"

#include <cstddef>
#include <cstdint>

using DWORD = std::uint32_t;
using LPDWORD = DWORD*;
using LPVOID = void*;
// A handle was 32 bits wide where the layouts below come from.
using HRASCONN = std::uint32_t;

constexpr DWORD RAS_MaxEntryName = 256;
constexpr DWORD RAS_MaxDeviceType = 16;
constexpr DWORD RAS_MaxDeviceName = 128;
constexpr DWORD RAS_MaxIpAddress = 15;

struct RASCONN {
    DWORD dwSize;
    HRASCONN hrasconn;
    char szEntryName[RAS_MaxEntryName + 1];
    char szDeviceType[RAS_MaxDeviceType + 1];
    char szDeviceName[RAS_MaxDeviceName + 1];
};
static_assert(sizeof(RASCONN) == 412);
static_assert(offsetof(RASCONN, hrasconn) == 4);
static_assert(offsetof(RASCONN, szEntryName) == 8);
static_assert(offsetof(RASCONN, szDeviceType) == 265);
static_assert(offsetof(RASCONN, szDeviceName) == 282);

struct RASPPPIP {
    DWORD dwSize;
    DWORD dwError;
    char szIpAddress[RAS_MaxIpAddress + 1];
};
static_assert(sizeof(RASPPPIP) == 24);
static_assert(offsetof(RASPPPIP, szIpAddress) == 8);

enum RASPROJECTION : DWORD {
    RASP_Amb = 0x10000,
    RASP_PppNbf = 0x803F,
    RASP_PppIpx = 0x802B,
    RASP_PppIp = 0x8021,
};

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_BUFFER_TOO_SMALL = 603;
constexpr DWORD ERROR_INVALID_SIZE = 632;
constexpr DWORD ERROR_PROJECTION_NOT_COMPLETE = 730;
constexpr DWORD ERROR_PROTOCOL_NOT_CONFIGURED = 731;

// Fills the buffer with the active connections. The first entry's dwSize must be
// sizeof(RASCONN); *lpcb is the buffer size in bytes. When the buffer holds fewer
// entries than there are connections, the result is ERROR_BUFFER_TOO_SMALL with the
// needed size in *lpcb and the number of connections in *lpcConnections.
DWORD RasEnumConnectionsA(RASCONN* lprasconn, LPDWORD lpcb, LPDWORD lpcConnections);

// Only RASP_PppIp is known. ERROR_PROJECTION_NOT_COMPLETE while the connection has no
// address yet, ERROR_INVALID_HANDLE once it is gone.
DWORD RasGetProjectionInfoA(
    HRASCONN hrasconn, RASPROJECTION rasprojection, LPVOID lpprojection, LPDWORD lpcb);

// The received and sent bytes of a connection, read now from its source; none when the
// source cannot tell or the connection is gone. Counted by the link, 64 bits wide.
std::optional<TBytestand> RasVerbindungsBytes(HRASCONN hrasconn);

// The source the functions answer from.
TRasQuelle& AktiveRasQuelle();

// What the running program's connections come from, as the settings page names it
// ("NetworkManager", "Netzwerkschnittstellen ppp*", "Simulation FILE").
std::string RasQuellenName();

// Puts another source behind the two functions for its lifetime, then the previous
// one back; how tests drive the detector without a modem.
class TRasQuellenTausch {
public:
    explicit TRasQuellenTausch(TRasQuelle& quelle);
    ~TRasQuellenTausch();
    TRasQuellenTausch(const TRasQuellenTausch&) = delete;
    TRasQuellenTausch& operator=(const TRasQuellenTausch&) = delete;

private:
    TRasQuelle* FVorige;
};
