// The formats read from the system locale at every start: the conversion of Qt's
// patterns, and the whole way from the environment of a started program.
#include "runtime/Datum.h"
#include "runtime/Format.h"

#include <QLocale>
#include <QString>
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace {

struct TZeile {
    const char* locale; // for QLocale and, with ".UTF-8" where not C, for LC_ALL
    const char* dezimal;
    const char* datum;
    const char* zeit;
    const char* zeittrenner;
    const char* datumText; // 1999-07-04 13:05:09 in these formats
    const char* zeitText;
};

void PrintTo(const TZeile& z, std::ostream* os)
{
    *os << z.locale;
}

class SystemFormate : public ::testing::TestWithParam<TZeile> {
protected:
    TFormatSettings Vorher = FormatSettings;
    void TearDown() override { FormatSettings = Vorher; }

    static QString Zeichen(const char* text) { return QString::fromUtf8(text); }
};

TEST_P(SystemFormate, FromTheLocalesPatterns)
{
    const TZeile& z = GetParam();
    const TFormatSettings f = FormateAus(QLocale(QString::fromLatin1(z.locale)));
    EXPECT_EQ(QString(f.DecimalSeparator), Zeichen(z.dezimal));
    EXPECT_EQ(f.ShortDateFormat, Zeichen(z.datum));
    EXPECT_EQ(f.LongTimeFormat, Zeichen(z.zeit));
    EXPECT_EQ(QString(f.TimeSeparator), Zeichen(z.zeittrenner));

    // The texts the program writes with them: no stray letters from the patterns.
    FormatSettings = f;
    const TDateTime wert = EncodeDate(1999, 7, 4) + EncodeTime(13, 5, 9, 0);
    EXPECT_EQ(DateToStr(wert), Zeichen(z.datumText));
    EXPECT_EQ(TimeToStr(wert), Zeichen(z.zeitText));
}

// A started program takes its locale from the environment, as the program does at
// every start.
TEST_P(SystemFormate, FromTheEnvironmentOfTheProgram)
{
    const TZeile& z = GetParam();
    std::string locale = z.locale;
    if (locale != "C")
        locale += ".UTF-8";
    const std::string befehl = "env -i LC_ALL=" + locale + " '" SYSTEMFORMATE_ZEIGE "'";
    FILE* aus = popen(befehl.c_str(), "r");
    ASSERT_NE(aus, nullptr);
    std::string ausgabe;
    std::array<char, 256> puffer {};
    while (std::fgets(puffer.data(), int(puffer.size()), aus))
        ausgabe += puffer.data();
    ASSERT_EQ(pclose(aus), 0) << befehl;
    EXPECT_EQ(QString::fromStdString(ausgabe),
        QStringLiteral("%1\n%2\n%3\n%4\n")
            .arg(Zeichen(z.dezimal), Zeichen(z.datum), Zeichen(z.zeit), Zeichen(z.zeittrenner)));
}

INSTANTIATE_TEST_SUITE_P(Locales, SystemFormate,
    ::testing::Values(TZeile { "de_DE", ",", "dd.mm.yyyy", "hh:nn:ss", ":", "04.07.1999", "13:05:09" },
        // "AP" is one field: am/pm, not am/pm and a P.
        TZeile { "en_US", ".", "m/d/yyyy", "h:nn:ss ampm", ":", "7/4/1999", "1:05:09 PM" },
        // The quoted 'h' is text, not the hour.
        TZeile { "fr_CH", ",", "dd.mm.yyyy", "hh.nn:ss", ".", "04.07.1999", "13.05:09" },
        // Without regional settings: the German formats the program was made for.
        TZeile { "C", ",", "dd.mm.yyyy", "hh:nn:ss", ":", "04.07.1999", "13:05:09" }),
    [](const ::testing::TestParamInfo<TZeile>& zeile) { return std::string(zeile.param.locale); });

} // namespace
