// Writes the program's icon for the hicolor theme, one PNG per size:
//   kw_symbole <folder> <size>...   gives <folder>/<size>x<size>/kostenwolf.png
#include "platform/ProgrammIcon.h"

#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "Aufruf: %s ORDNER GROESSE...\n", argv[0]);
        return 2;
    }
    const QString ordner = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int kante = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || kante <= 0) {
            std::fprintf(stderr, "Ungültige Größe: %s\n", argv[i]);
            return 2;
        }
        const QString unterordner = QDir(ordner).filePath(QStringLiteral("%1x%1").arg(kante));
        const QString datei = QDir(unterordner).filePath(QStringLiteral("kostenwolf.png"));
        if (!QDir().mkpath(unterordner) || !ProgrammBildDaten(kante).save(datei, "PNG")) {
            std::fprintf(stderr, "Kann %s nicht schreiben\n", qPrintable(datei));
            return 1;
        }
    }
    return 0;
}
