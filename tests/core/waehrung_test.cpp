// The texts that name the currency, for both currencies.
#include "core/Budget.h"
#include "core/CsvExport.h"
#include "core/KontoBericht.h"
#include "core/RtfDokument.h"
#include "runtime/Waehrung.h"
#include "store/Abrechnung.h"
#include "support/Testumgebung.h"

#include <gtest/gtest.h>

namespace {

struct TTexte {
    TWaehrung Art;
    const char* Betrag;
    const char* Einheit;
    const char* Hinweis;
    const char* Warnung;
    const char* Monat;
    const char* CsvKopf;
    const char* Rtf;
};

TEST(Waehrung, TexteFolgenDerWaehrung)
{
    const TTexte zeilen[] = {
        { TWaehrung::DM, "0,11 DM", "Pf.", "Kostenwolf - 0,00DM", " (40,00 von 50,00 DM)",
            "Im Monat: 9,9 DM - 00:00:00", "Kosten (DM)", "9,9 DM" },
        { TWaehrung::EUR, "0,11 €", "ct", "Kostenwolf - 0,00 €", " (40,00 von 50,00 €)",
            "Im Monat: 9,9 € - 00:00:00", "Kosten (€)", "9,9 \\'80" },
    };
    TTestumgebung umgebung;
    TMonat leer {};
    for (const TTexte& z : zeilen) {
        Waehrung = z.Art;
        EXPECT_EQ(BetragText(0.11), QString::fromUtf8(z.Betrag));
        EXPECT_EQ(KleineEinheit(), QString::fromUtf8(z.Einheit));
        EXPECT_EQ(StartHinweis(), QString::fromUtf8(z.Hinweis));
        EXPECT_TRUE(BudgetWarnText(80, 40, 50).endsWith(QString::fromUtf8(z.Warnung)));
        const QString monat = BaueKontoBericht(leer, 9.9).Summe;
        EXPECT_EQ(monat, QString::fromUtf8(z.Monat));
        EXPECT_TRUE(MonatAlsCsv(leer).contains(QByteArray(z.CsvKopf)));
        EXPECT_TRUE(RtfDokument({ monat }, QStringLiteral("Arial"), 8).contains(QByteArray(z.Rtf)));
    }
}

} // namespace
