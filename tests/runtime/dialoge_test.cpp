#include "runtime/Dialoge.h"
#include "support/TestDialoge.h"

#include <gtest/gtest.h>

TEST(TestDialogs, RecordAndAnswerFromTheScript)
{
    TTestDialoge& d = InstalliereTestDialoge();
    d.Knopfantworten = { mrYes };
    d.Eingaben = { QString(300, QLatin1Char('a')), std::nullopt };
    int offen = 0;
    d.BeiAnzeige = [&](const TDialogAufruf&) { ++offen; };

    ShowMessage(QStringLiteral("Hallo"));
    EXPECT_EQ(MessageDlg(QStringLiteral("Sicher?"), mtConfirmation, mbYes | mbNo), mrYes);
    EXPECT_EQ(MessageDlg(QStringLiteral("Noch mal?"), mtConfirmation, mbYes | mbNo), mrNo);
    EXPECT_EQ(InputBox(QStringLiteral("K"), QStringLiteral("P"), QStringLiteral("v"), true).size(), 255);
    EXPECT_EQ(InputBox(QStringLiteral("K"), QStringLiteral("P"), QStringLiteral("vorgabe")), "vorgabe");
    FehlerMeldung(QStringLiteral("kaputt"));

    EXPECT_EQ(offen, 6);
    ASSERT_EQ(d.Protokoll.size(), 6u);
    EXPECT_EQ(d.Protokoll[0].caption, "Kostenwolf");
    EXPECT_EQ(d.Protokoll[1].caption, "Bestätigen");
    EXPECT_TRUE(d.Protokoll[3].passwort);
    EXPECT_FALSE(d.Protokoll[4].passwort);
    EXPECT_EQ(d.Meldungen(), (QStringList { "Hallo", "Sicher?", "Noch mal?", "kaputt" }));
}
