#include "core/CsvExport.h"
#include "runtime/Format.h"

#include <QStringList>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A small reader of what a spreadsheet would make of the file: ';' separates, fields may
// be quoted (quotes doubled inside, line breaks allowed), records end with CRLF. A bare
// line break outside quotes or a missing CRLF at the end is reported as a fault.
struct TCsvGelesen {
    bool Bom = false;
    std::vector<QStringList> Zeilen;
    QString Fehler;
};

TCsvGelesen LiesCsv(const QByteArray& roh)
{
    TCsvGelesen ergebnis;
    QByteArray bytes = roh;
    ergebnis.Bom = bytes.startsWith("\xEF\xBB\xBF");
    if (ergebnis.Bom)
        bytes.remove(0, 3);
    const QString text = QString::fromUtf8(bytes);
    QStringList zeile;
    QString feld;
    bool inQuotes = false, feldBegonnen = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                feld += '"';
                ++i;
            }
            else if (c == '"') {
                inQuotes = false;
            }
            else {
                feld += c;
            }
        }
        else if (c == '"' && !feldBegonnen) {
            inQuotes = feldBegonnen = true;
        }
        else if (c == ';') {
            zeile << feld;
            feld.clear();
            feldBegonnen = false;
        }
        else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            zeile << feld;
            ergebnis.Zeilen.push_back(zeile);
            zeile.clear();
            feld.clear();
            feldBegonnen = false;
            ++i;
        }
        else if (c == '\r' || c == '\n' || c == '"') {
            ergebnis.Fehler = QStringLiteral("stray character at %1").arg(i);
            return ergebnis;
        }
        else {
            feld += c;
            feldBegonnen = true;
        }
    }
    if (inQuotes || feldBegonnen || !zeile.isEmpty())
        ergebnis.Fehler = QStringLiteral("last record not closed by CRLF");
    return ergebnis;
}

const QStringList Kopf { "Datum", "Uhrzeit", "Dauer", "Dauer (Sekunden)", "Kosten (DM)", "Tarif",
    "Empfangen (Bytes)", "Gesendet (Bytes)" };

struct CsvExport : ::testing::Test {
    std::unique_ptr<TMonat> monat = std::make_unique<TMonat>();
    int anzahl = 0;
    TFormatSettings vorher = FormatSettings;

    CsvExport()
    {
        std::memset(monat.get(), 0, sizeof(TMonat));
        FormatSettings = DeutscheFormate();
    }
    ~CsvExport() override { FormatSettings = vorher; }

    void Eintrag(TDateTime datum, TDateTime dauer, double kosten, const QString& tarif)
    {
        TVerbindung& v = monat->Verbindungen[anzahl++];
        v.Tarif.Setze(tarif);
        v.Datum = datum;
        v.Dauer = dauer;
        v.Kosten = kosten;
    }

    static TDateTime Am(int tag, int stunde, int minute, int sekunde = 0)
    {
        return EncodeDate(2026, 3, tag) + EncodeTime(stunde, minute, sekunde, 0);
    }
};

} // namespace

TEST_F(CsvExport, MonthReadsBackFieldByFieldOldestFirst)
{
    // Stored in the order the connections ended; the one on the 2nd was logged after a
    // clock had been set back, so it stands behind the one on the 5th.
    Eintrag(Am(5, 23, 59, 59), EncodeTime(0, 1, 30, 400), 0.125, QStringLiteral("Früh & Spät"));
    Eintrag(Am(2, 8, 0), 1 + EncodeTime(1, 0, 1, 0), 2.675, QStringLiteral("Mond;schein \"Spar\""));
    Eintrag(Am(9, 0, 0), EncodeTime(0, 0, 0, 0), 0, QStringLiteral("Abend"));

    // Bytes are known of the one on the 5th only.
    const QByteArray csv = MonatAlsCsv(*monat, [](const TVerbindung& v) -> std::optional<TBytestand> {
        if (v.Kosten == 0.125)
            return TBytestand { 12'345'678'901, 0 };
        return std::nullopt;
    });
    const TCsvGelesen gelesen = LiesCsv(csv);
    ASSERT_TRUE(gelesen.Fehler.isEmpty()) << gelesen.Fehler.toStdString();
    EXPECT_TRUE(gelesen.Bom);
    ASSERT_EQ(gelesen.Zeilen.size(), 4u);
    EXPECT_EQ(gelesen.Zeilen[0], Kopf);
    // 25 hours count on in the text rather than wrapping to 01:00:01. Costs read as the
    // report's lines do: 0.125 goes up, while 2.675, stored as 2.67499999..., goes down.
    EXPECT_EQ(gelesen.Zeilen[1],
        (QStringList {
            "02.03.2026", "08:00:00", "25:00:01", "90001", "2,67", "Mond;schein \"Spar\"", "", "" }));
    EXPECT_EQ(gelesen.Zeilen[2],
        (QStringList {
            "05.03.2026", "23:59:59", "00:01:30", "90", "0,13", "Früh & Spät", "12345678901", "0" }));
    EXPECT_EQ(gelesen.Zeilen[3],
        (QStringList { "09.03.2026", "00:00:00", "00:00:00", "0", "0,00", "Abend", "", "" }));
    // The name with ';' and '"' is quoted in the file itself, the others are not.
    EXPECT_TRUE(csv.contains(";\"Mond;schein \"\"Spar\"\"\";;\r\n"));
    EXPECT_TRUE(csv.contains(";Abend;;\r\n"));
    EXPECT_EQ(csv.count("\r\n"), 4);
}

TEST_F(CsvExport, OnlyUsedEntriesAndNoRegionalSettings)
{
    EXPECT_EQ(MonatAlsCsv(*monat),
        QByteArray("\xEF\xBB\xBF"
                   "Datum;Uhrzeit;Dauer;Dauer (Sekunden);Kosten (DM);Tarif;Empfangen (Bytes);Gesendet "
                   "(Bytes)\r\n"));

    Eintrag(Am(3, 14, 5, 9), EncodeTime(0, 10, 0, 0), 1.5, QStringLiteral("Zeile\nzwei"));
    Eintrag(Am(4, 14, 5), EncodeTime(0, 10, 0, 0), 1.5, QString()); // ends the list
    Eintrag(Am(5, 14, 5), EncodeTime(0, 10, 0, 0), 1.5, QStringLiteral("Hinter der Lücke"));
    const QByteArray deutsch = MonatAlsCsv(*monat);

    TFormatSettings englisch;
    englisch.DecimalSeparator = '.';
    englisch.ShortDateFormat = QStringLiteral("m/d/yyyy");
    englisch.LongTimeFormat = QStringLiteral("h:nn:ss ampm");
    FormatSettings = englisch;
    EXPECT_EQ(MonatAlsCsv(*monat), deutsch);
    EXPECT_EQ(FormatSettings.ShortDateFormat, englisch.ShortDateFormat); // given back afterwards

    const TCsvGelesen gelesen = LiesCsv(deutsch);
    ASSERT_TRUE(gelesen.Fehler.isEmpty()) << gelesen.Fehler.toStdString();
    ASSERT_EQ(gelesen.Zeilen.size(), 2u);
    EXPECT_EQ(gelesen.Zeilen[1],
        (QStringList { "03.03.2026", "14:05:09", "00:10:00", "600", "1,50", "Zeile\nzwei", "", "" }));
}

TEST(CsvFeld, QuotesOnlyWhereASpreadsheetWouldSplit)
{
    EXPECT_EQ(CsvFeld(QStringLiteral("Mondschein")), "Mondschein");
    EXPECT_EQ(CsvFeld(QStringLiteral("a,b 'c'")), "a,b 'c'");
    EXPECT_EQ(CsvFeld(QStringLiteral("a;b")), "\"a;b\"");
    EXPECT_EQ(CsvFeld(QStringLiteral("\"")), "\"\"\"\"");
    EXPECT_EQ(CsvFeld(QStringLiteral("a\r\nb")), "\"a\r\nb\"");
}

TEST_F(CsvExport, TariffNamesASpreadsheetWouldComputeStayText)
{
    const std::pair<QString, QString> faelle[] = {
        { "=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0" },
        { "+49 Tag", "'+49 Tag" },
        { "-Spar", "'-Spar" },
        { "@SUMME(A1)", "'@SUMME(A1)" },
        { "\tTab", "'\tTab" },
        { "\rWagen", "'\rWagen" },
        { "Tag=Nacht-Spar", "Tag=Nacht-Spar" },
    };
    for (const auto& [name, zelle] : faelle)
        Eintrag(Am(anzahl + 1, 10, 0), EncodeTime(0, 1, 0, 0), 0.06, name);
    const TCsvGelesen gelesen = LiesCsv(MonatAlsCsv(*monat));
    ASSERT_TRUE(gelesen.Fehler.isEmpty()) << gelesen.Fehler.toStdString();
    ASSERT_EQ(gelesen.Zeilen.size(), std::size(faelle) + 1);
    for (size_t i = 0; i < std::size(faelle); ++i)
        EXPECT_EQ(gelesen.Zeilen[i + 1].value(5), faelle[i].second) << faelle[i].first.toStdString();
}
