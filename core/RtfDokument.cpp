#include "core/RtfDokument.h"

#include "runtime/Codepage.h"

#include <cstdio>

QByteArray RtfText(const QString& text)
{
    QByteArray rtf;
    rtf.reserve(text.size() + 16);
    bool steuerwortOffen = false; // a control word needs a blank before plain text that follows
    auto schliesse = [&] {
        if (steuerwortOffen)
            rtf += ' ';
        steuerwortOffen = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            rtf += '\\';
            rtf += char(c);
            steuerwortOffen = false;
        }
        else if (c == u'\t') {
            rtf += "\\tab";
            steuerwortOffen = true;
        }
        else if (c < 0x20 || c == 0x7f) {
            continue;
        }
        else if (c < 0x80) {
            schliesse();
            rtf += char(c);
        }
        else {
            const std::string cp = NachWindows1252(QString(text[i]));
            char puffer[16];
            if (cp.size() == 1 && cp[0] != '?') {
                std::snprintf(puffer, sizeof puffer, "\\'%02x", unsigned(static_cast<unsigned char>(cp[0])));
                rtf += puffer;
                steuerwortOffen = false;
            }
            else {
                // \uN takes a signed 16-bit number; surrogate halves go one by one.
                std::snprintf(puffer, sizeof puffer, "\\u%d?", int(int16_t(c)));
                rtf += puffer;
                steuerwortOffen = false;
            }
        }
    }
    schliesse();
    return rtf;
}

QByteArray RtfDokument(const QStringList& absaetze, const QString& schrift, int punkte)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl{\\f0\\fswiss\\fcharset0 ";
    rtf += RtfText(schrift);
    rtf += ";}}\n\\viewkind4\\uc1\\pard\\f0\\fs" + QByteArray::number(punkte * 2) + " ";
    // Every control word before text ends in exactly one blank, which the reader
    // swallows, so the blanks a line begins with stay part of it. Every line ends with
    // \par: empty lines are paragraphs of their own.
    for (const QString& zeile : absaetze)
        rtf += RtfText(zeile) + "\\par ";
    rtf += "\n}\n";
    return rtf;
}
