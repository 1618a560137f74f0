#include "components/Ras.h"
#include "platform/RasSchnittstellen.h"
#include "platform/RasSimulation.h"
#include "support/FalscheRas.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <net/if.h>

namespace {

RASCONN LeererEintrag()
{
    RASCONN r;
    std::memset(&r, 0x5A, sizeof r); // leftovers must not show through
    r.dwSize = sizeof(RASCONN);
    return r;
}

TEST(RasEnumConnections, OneEntryBufferAnswersLikeTheService)
{
    TFalscheRas ras;
    RASCONN eintrag = LeererEintrag();
    DWORD groesse = sizeof eintrag, anzahl = 99;

    EXPECT_EQ(RasEnumConnectionsA(&eintrag, &groesse, &anzahl), ERROR_SUCCESS);
    EXPECT_EQ(anzahl, 0u);

    ras.Neu("192.0.2.7", 42).Eintrag = std::string(300, 'E');
    groesse = sizeof eintrag;
    EXPECT_EQ(RasEnumConnectionsA(&eintrag, &groesse, &anzahl), ERROR_SUCCESS);
    EXPECT_EQ(anzahl, 1u);
    EXPECT_EQ(groesse, 412u);
    EXPECT_EQ(eintrag.dwSize, 412u);
    EXPECT_EQ(eintrag.hrasconn, 42u);
    EXPECT_EQ(std::strlen(eintrag.szEntryName), 256u) << "cut to the field, zero-terminated";
    EXPECT_STREQ(eintrag.szDeviceType, "modem");
    EXPECT_STREQ(eintrag.szDeviceName, "Testmodem");

    ras.Neu("10.8.0.2", 43);
    groesse = sizeof eintrag;
    EXPECT_EQ(RasEnumConnectionsA(&eintrag, &groesse, &anzahl), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(groesse, 824u);
    EXPECT_EQ(anzahl, 2u);

    RASCONN zwei[2] = { LeererEintrag(), LeererEintrag() };
    groesse = sizeof zwei;
    EXPECT_EQ(RasEnumConnectionsA(zwei, &groesse, &anzahl), ERROR_SUCCESS);
    EXPECT_EQ(anzahl, 2u);
    EXPECT_EQ(zwei[0].hrasconn, 42u);
    EXPECT_EQ(zwei[1].hrasconn, 43u);
    EXPECT_EQ(zwei[1].dwSize, 412u);
}

TEST(RasEnumConnections, RejectsBadArguments)
{
    TFalscheRas ras;
    ras.Neu("192.0.2.7");
    RASCONN eintrag = LeererEintrag();
    DWORD groesse = sizeof eintrag, anzahl = 0;

    EXPECT_EQ(RasEnumConnectionsA(&eintrag, nullptr, &anzahl), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RasEnumConnectionsA(&eintrag, &groesse, nullptr), ERROR_INVALID_PARAMETER);
    eintrag.dwSize = 400;
    EXPECT_EQ(RasEnumConnectionsA(&eintrag, &groesse, &anzahl), ERROR_INVALID_SIZE);

    groesse = 0;
    EXPECT_EQ(RasEnumConnectionsA(nullptr, &groesse, &anzahl), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(groesse, 412u) << "asking for the size first";
    EXPECT_EQ(anzahl, 1u);
}

TEST(RasGetProjectionInfo, PppIpOfAConnection)
{
    TFalscheRas ras;
    ras.Neu("192.0.2.7", 1);
    ras.Neu(std::nullopt, 2);
    ras.Neu("1234567890123456789", 3);

    const auto projektion
        = [](HRASCONN h, RASPPPIP& ip, DWORD groesse = sizeof(RASPPPIP), RASPROJECTION art = RASP_PppIp) {
              std::memset(&ip, 0x5A, sizeof ip);
              ip.dwSize = sizeof(RASPPPIP);
              return RasGetProjectionInfoA(h, art, &ip, &groesse);
          };
    RASPPPIP ip;
    EXPECT_EQ(projektion(1, ip), ERROR_SUCCESS);
    EXPECT_STREQ(ip.szIpAddress, "192.0.2.7");
    EXPECT_EQ(ip.dwError, 0u);
    EXPECT_EQ(projektion(2, ip), ERROR_PROJECTION_NOT_COMPLETE);
    EXPECT_EQ(projektion(3, ip), ERROR_SUCCESS);
    EXPECT_STREQ(ip.szIpAddress, "123456789012345");
    EXPECT_EQ(projektion(4, ip), ERROR_INVALID_HANDLE);
    EXPECT_EQ(projektion(0, ip), ERROR_INVALID_HANDLE);
    EXPECT_EQ(projektion(1, ip, sizeof(RASPPPIP), RASP_PppIpx), ERROR_PROTOCOL_NOT_CONFIGURED);

    DWORD groesse = 20;
    ip.dwSize = sizeof(RASPPPIP);
    EXPECT_EQ(RasGetProjectionInfoA(1, RASP_PppIp, &ip, &groesse), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(groesse, 24u);
    ip.dwSize = 20;
    EXPECT_EQ(RasGetProjectionInfoA(1, RASP_PppIp, &ip, &groesse), ERROR_INVALID_SIZE);
    EXPECT_EQ(RasGetProjectionInfoA(1, RASP_PppIp, nullptr, &groesse), ERROR_INVALID_PARAMETER);

    ras.Liste.erase(ras.Liste.begin());
    EXPECT_EQ(projektion(1, ip), ERROR_INVALID_HANDLE) << "gone since the enumeration";
}

TEST(RasQuelle, FakeIsRemovedWithItsScope)
{
    {
        TFalscheRas ras;
        EXPECT_EQ(&AktiveRasQuelle(), &ras);
        {
            TFalscheRas innen;
            EXPECT_EQ(&AktiveRasQuelle(), &innen);
        }
        EXPECT_EQ(&AktiveRasQuelle(), &ras);
    }
    EXPECT_EQ(&AktiveRasQuelle(), &StandardRasQuelle());
}

TEST(RasSimulation, ParsesLines)
{
    EXPECT_TRUE(LeseSimulation("").empty());
    EXPECT_TRUE(LeseSimulation("\n\r\n\n").empty());

    const auto liste = LeseSimulation("192.0.2.7\r\n\n-\n \n10.8.0.2");
    ASSERT_EQ(liste.size(), 4u);
    EXPECT_EQ(liste[0].Adresse, "192.0.2.7");
    EXPECT_EQ(liste[1].Adresse, std::nullopt);
    EXPECT_EQ(liste[2].Adresse, " ");
    EXPECT_EQ(liste[3].Adresse, "10.8.0.2");
    for (std::size_t i = 0; i < liste.size(); ++i)
        EXPECT_EQ(liste[i].Kennung, i + 1);

    // Received and sent bytes after the address; anything else leaves them unknown.
    const auto bytes = LeseSimulation("192.0.2.7 1200000 300000\n192.0.2.8\t5 6 \n1 2\n- 7 8\n"
                                      "192.0.2.9 12 x\n192.0.2.10 -1 3\n192.0.2.11 99999999999999999999 3");
    ASSERT_EQ(bytes.size(), 7u);
    EXPECT_EQ(bytes[0].Adresse, "192.0.2.7");
    EXPECT_EQ(bytes[0].Bytes, (TBytestand { 1200000, 300000 }));
    EXPECT_EQ(bytes[1].Adresse, "192.0.2.8");
    EXPECT_EQ(bytes[1].Bytes, (TBytestand { 5, 6 }));
    EXPECT_EQ(bytes[2].Adresse, "1 2") << "two numbers alone are an address text";
    EXPECT_FALSE(bytes[2].Bytes);
    EXPECT_FALSE(bytes[3].Adresse) << "still negotiating";
    EXPECT_EQ(bytes[3].Bytes, (TBytestand { 7, 8 }));
    for (std::size_t i = 4; i < bytes.size(); ++i)
        EXPECT_FALSE(bytes[i].Bytes) << *bytes[i].Adresse;
    EXPECT_EQ(bytes[4].Adresse, "192.0.2.9 12 x");
}

TEST(RasSimulation, ReadsNoMoreThanTheLimit)
{
    QTemporaryDir verzeichnis;
    const QString datei = verzeichnis.filePath("gross");
    QFile f(datei);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QByteArray inhalt = "192.0.2.7\n";
    inhalt += QByteArray(int(SimulationHoechstGroesse), '\n');
    inhalt += "192.0.2.8\n";
    f.write(inhalt);
    f.close();

    const auto liste = TRasSimulation(QFile::encodeName(datei).toStdString()).Verbindungen();
    ASSERT_EQ(liste.size(), 1u);
    EXPECT_EQ(liste[0].Adresse, "192.0.2.7");
    EXPECT_TRUE(TRasSimulation(QFile::encodeName(verzeichnis.filePath("fehlt")).toStdString())
                    .Verbindungen()
                    .empty());
}

TEST(RasSchnittstellen, PatternsFromTheVariable)
{
    EXPECT_EQ(TRasSchnittstellen("").Muster(), std::vector<std::string> { "ppp*" });
    EXPECT_EQ(TRasSchnittstellen(" , ,").Muster(), std::vector<std::string> { "ppp*" });
    EXPECT_EQ(TRasSchnittstellen(" ppp*, wwan[0-9] ,,tun0").Muster(),
        (std::vector<std::string> { "ppp*", "wwan[0-9]", "tun0" }));

    const TRasSchnittstellen s("ppp*, wwan[0-9]");
    EXPECT_TRUE(s.Passt("ppp0"));
    EXPECT_TRUE(s.Passt("ppp"));
    EXPECT_TRUE(s.Passt("wwan3"));
    EXPECT_FALSE(s.Passt("wwan10"));
    EXPECT_FALSE(s.Passt("eth0"));
    EXPECT_FALSE(s.Passt("xppp0"));
}

// The loopback interface is up and running on any machine the tests run on, and its
// address is the one that counts as offline.
TEST(RasSchnittstellen, FindsARealInterfaceByName)
{
    const unsigned index = if_nametoindex("lo");
    if (index == 0)
        GTEST_SKIP() << "no loopback interface";
    const auto liste = TRasSchnittstellen("lo").Verbindungen();
    if (liste.empty())
        GTEST_SKIP() << "the loopback interface is down here";
    ASSERT_EQ(liste.size(), 1u);
    EXPECT_EQ(liste[0].Kennung, index);
    EXPECT_EQ(liste[0].Eintrag, "lo");
    EXPECT_EQ(liste[0].Adresse, "127.0.0.1");
    EXPECT_TRUE(TRasSchnittstellen("keine-solche*").Verbindungen().empty());
}

} // namespace
