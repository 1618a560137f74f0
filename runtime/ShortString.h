// The short string of the data files: one length byte and N character bytes in
// Windows-1252. Only the first (length) characters count; the bytes after them are
// left as they are by every writer.
#pragma once

#include "runtime/Codepage.h"

#include <QString>
#include <cstdint>
#include <cstring>

template <size_t N> struct TShortString {
    uint8_t Laenge;
    char Zeichen[N];

    // A length byte beyond the capacity (a damaged file) counts as the capacity.
    size_t Anzahl() const { return Laenge > N ? N : Laenge; }
    bool Leer() const { return Laenge == 0; }
    QString Text() const { return AusWindows1252(Zeichen, Anzahl()); }

    // Copies the text cut to N characters and sets the length.
    void Setze(const QString& text)
    {
        const std::string bytes = NachWindows1252(text.left(qsizetype(N)));
        const size_t n = bytes.size() > N ? N : bytes.size();
        std::memcpy(Zeichen, bytes.data(), n);
        Laenge = uint8_t(n);
    }
    void Leeren() { Laenge = 0; }
    void Begrenze()
    {
        if (Laenge > N)
            Laenge = uint8_t(N);
    }
    bool operator==(const QString& text) const { return Text() == text; }
};
