#include "runtime/Codepage.h"

namespace {
// 0x80..0x9F; the five unassigned bytes map to the C1 controls of the same value.
// clang-format off
constexpr char16_t Bereich80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
// clang-format on
} // namespace

std::string NachWindows1252(const QString& text)
{
    std::string bytes;
    bytes.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i; // one character outside the code page, one '?'
            bytes += '?';
            continue;
        }
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes += char(u);
            continue;
        }
        char ersatz = '?';
        for (int k = 0; k < 32; ++k)
            if (Bereich80[k] == u) {
                ersatz = char(0x80 + k);
                break;
            }
        bytes += ersatz;
    }
    return bytes;
}

QString AusWindows1252(const char* bytes, size_t anzahl)
{
    QString text;
    text.reserve(qsizetype(anzahl));
    for (size_t i = 0; i < anzahl; ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        text += QChar(b >= 0x80 && b < 0xA0 ? Bereich80[b - 0x80] : char16_t(b));
    }
    return text;
}
