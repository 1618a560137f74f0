#include "runtime/Fehlerausgabe.h"

#include <cstdio>

void SchreibeFehlerausgabe(const QString& text)
{
    QByteArray zeile = text.toLocal8Bit();
    if (!zeile.endsWith('\n'))
        zeile += '\n';
    std::fwrite(zeile.constData(), 1, size_t(zeile.size()), stderr);
    std::fflush(stderr);
}
