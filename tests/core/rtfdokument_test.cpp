#include "core/RtfDokument.h"
#include "runtime/Codepage.h"

#include <gtest/gtest.h>

namespace {

// Reads back the paragraphs of the RTF subset a word processor would see: groups whose
// first control word is a destination (the font table) are skipped, \par ends a
// paragraph, \'hh is a Windows-1252 byte, \uN a UTF-16 unit followed by one fallback
// character to drop. A control word swallows one blank after it.
QStringList LeseAbsaetze(const QByteArray& rtf)
{
    QStringList absaetze;
    QString text;
    int tiefe = 0, ignorieren = -1, ueberspringen = 0;
    auto zeichen = [&](const QString& s) {
        if (ignorieren >= 0)
            return;
        if (ueberspringen > 0) {
            --ueberspringen;
            return;
        }
        text += s;
    };
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{') {
            ++tiefe;
        }
        else if (c == '}') {
            if (tiefe == ignorieren)
                ignorieren = -1;
            --tiefe;
        }
        else if (c == '\r' || c == '\n') {
        }
        else if (c != '\\') {
            zeichen(QString(QLatin1Char(c)));
        }
        else {
            const char n = i + 1 < rtf.size() ? rtf[i + 1] : '\0';
            if (n == '\\' || n == '{' || n == '}') {
                zeichen(QString(QLatin1Char(n)));
                ++i;
            }
            else if (n == '\'') {
                const char byte = char(rtf.mid(i + 2, 2).toInt(nullptr, 16));
                zeichen(AusWindows1252(&byte, 1));
                i += 3;
            }
            else {
                qsizetype j = i + 1;
                while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j])))
                    ++j;
                const QByteArray wort = rtf.mid(i + 1, j - i - 1);
                qsizetype k = j;
                if (k < rtf.size() && rtf[k] == '-')
                    ++k;
                while (k < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[k])))
                    ++k;
                const int zahl = rtf.mid(j, k - j).toInt();
                if (k < rtf.size() && rtf[k] == ' ')
                    ++k;
                i = k - 1;
                if (wort == "fonttbl")
                    ignorieren = tiefe;
                else if (wort == "par" && ignorieren < 0) {
                    absaetze << text;
                    text.clear();
                }
                else if (wort == "tab")
                    zeichen(QStringLiteral("\t"));
                else if (wort == "u") {
                    zeichen(QString(QChar(char16_t(zahl))));
                    ueberspringen = 1;
                }
            }
        }
    }
    if (!text.isEmpty())
        absaetze << text;
    return absaetze;
}

} // namespace

TEST(RtfDokument, EveryLineComesBackAsItsOwnParagraph)
{
    const QStringList zeilen {
        QString(),
        QStringLiteral("März 2026"),
        QString(),
        QStringLiteral("  Am 2.3.: 0.50 DM"),
        QStringLiteral("Datum: 02.03.2026 10:15:00    Dauer: 00:10:00    Kosten: 0.50 DM    Tarif: Früh"),
        QStringLiteral("Spaß für 5€ {geschweift} \\ zurück\tTab"),
        QStringLiteral("→ außerhalb 1252: Ł 😀"),
        QStringLiteral(" "),
    };
    const QByteArray rtf = RtfDokument(zeilen, QStringLiteral("MS Sans Serif"), 8);
    EXPECT_EQ(LeseAbsaetze(rtf), zeilen);
}

TEST(RtfDokument, HeaderFontAndPlainAscii)
{
    const QByteArray rtf = RtfDokument({ QStringLiteral("Grüße") }, QStringLiteral("MS Sans Serif"), 8);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0\\fswiss\\fcharset0 MS Sans Serif;}}"));
    EXPECT_TRUE(rtf.contains("\\f0\\fs16 "));
    EXPECT_TRUE(rtf.contains("Gr\\'fc\\'dfe\\par"));
    for (char c : rtf)
        EXPECT_GE(static_cast<signed char>(c), 0) << "non-ASCII byte in the file";
    EXPECT_EQ(rtf.count('{'), rtf.count('}'));
}

TEST(RtfDokument, TextEscapes)
{
    EXPECT_EQ(RtfText(QStringLiteral("a{b}\\c")), "a\\{b\\}\\\\c");
    EXPECT_EQ(RtfText(QStringLiteral("\tx")), "\\tab x");
    EXPECT_EQ(RtfText(QStringLiteral("x\t")), "x\\tab ");
    EXPECT_EQ(RtfText(QStringLiteral("€")), "\\'80");
    EXPECT_EQ(RtfText(QStringLiteral("?")), "?");
    EXPECT_EQ(RtfText(QStringLiteral("\u2192")), "\\u8594?");
    EXPECT_EQ(RtfText(QStringLiteral("\uFFFD")), "\\u-3?");
    EXPECT_EQ(RtfText(QStringLiteral("a\x01\x7f"
                                     "b")),
        "ab");
    EXPECT_TRUE(RtfDokument({}, QStringLiteral("MS Sans Serif"), 8).endsWith("}\n"));
}
