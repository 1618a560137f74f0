#include "platform/ProgrammIcon.h"

#include <QPainter>

namespace {

// The colours of the 16-colour palette that the picture uses.
const QColor Marine(0, 0, 128);
const QColor Schwarz(0, 0, 0);
const QColor Grau(128, 128, 128);
const QColor Silber(192, 192, 192);
const QColor Gelb(255, 255, 0);
const QColor Oliv(128, 128, 0);
const QColor Rot(255, 0, 0);
const QColor Gruen(0, 255, 0);
const QColor Weiss(255, 255, 255);

void Punkt(QPainter& p, int x, int y, const QColor& farbe)
{
    p.fillRect(x, y, 1, 1, farbe);
}

// A glyph of 5 columns by 7 rows, one string per row, '#' set.
void Zeichen(QPainter& p, int x, int y, const char* const (&zeilen)[7], const QColor& farbe)
{
    for (int zeile = 0; zeile < 7; ++zeile)
        for (int spalte = 0; zeilen[zeile][spalte] != '\0'; ++spalte)
            if (zeilen[zeile][spalte] == '#')
                Punkt(p, x + spalte, y + zeile, farbe);
}

// A modem-like box with its three status lights.
void Kasten(QPainter& p, int x, int y)
{
    p.fillRect(x, y, 11, 7, Schwarz);
    p.fillRect(x, y + 7, 11, 1, Grau); // the box's foot catches some light
    Punkt(p, x + 2, y + 4, Gelb);
    Punkt(p, x + 3, y + 4, Gelb);
    Punkt(p, x + 5, y + 4, Rot);
    Punkt(p, x + 6, y + 4, Rot);
    Punkt(p, x + 8, y + 4, Gruen);
    Punkt(p, x + 9, y + 4, Gruen);
}

// A filled disc drawn pixel by pixel, so it keeps to the palette without smoothing.
void Scheibe(QPainter& p, double mx, double my, double r, const QColor& farbe)
{
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double dx = x + 0.5 - mx;
            const double dy = y + 0.5 - my;
            if (dx * dx + dy * dy <= r * r)
                Punkt(p, x, y, farbe);
        }
}

} // namespace

QImage ProgrammBildDaten()
{
    QImage bild(32, 32, QImage::Format_RGB32);
    bild.fill(Marine);
    QPainter p(&bild);
    p.setRenderHint(QPainter::Antialiasing, false);

    // The two boxes and the line between them, dotted with the data that flows.
    Kasten(p, 0, 2);
    Kasten(p, 21, 2);
    p.fillRect(11, 5, 10, 1, Silber);
    for (int x = 12; x < 21; x += 3)
        Punkt(p, x, 5, Gelb);

    // The coin: a dark rim, the yellow face, a light edge at the upper left.
    const double mx = 16.0, my = 21.0, r = 10.4;
    Scheibe(p, mx, my, r, Oliv);
    Scheibe(p, mx, my, r - 1.0, Gelb);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double dx = x + 0.5 - mx;
            const double dy = y + 0.5 - my;
            const double d2 = dx * dx + dy * dy;
            if (d2 <= (r - 1.0) * (r - 1.0) && d2 > (r - 2.0) * (r - 2.0) && dx + dy < -4.0)
                Punkt(p, x, y, Weiss);
        }

    static const char* const eins[7] = {
        "..#..",
        ".##..",
        "#.#..",
        "..#..",
        "..#..",
        "..#..",
        "#####",
    };
    static const char* const e[7] = {
        "#####",
        "#....",
        "#....",
        "####.",
        "#....",
        "#....",
        "#####",
    };
    // Doubled horizontally for weight; the letters sit in the middle of the face.
    for (int versatz = 0; versatz < 2; ++versatz) {
        Zeichen(p, 9 + versatz, 18, eins, Oliv);
        Zeichen(p, 17 + versatz, 18, e, Oliv);
    }
    p.end();
    return bild;
}

QImage ProgrammBildDaten(int kante)
{
    const QImage bild = ProgrammBildDaten();
    if (kante <= 0)
        return {};
    const int faktor = (kante + bild.width() - 1) / bild.width();
    const QImage scharf = bild.scaled(bild.width() * faktor, bild.height() * faktor);
    if (scharf.width() == kante)
        return scharf;
    return scharf.scaled(kante, kante, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QPixmap ProgrammBild()
{
    return QPixmap::fromImage(ProgrammBildDaten());
}

QIcon ProgrammIcon()
{
    QIcon icon;
    icon.addPixmap(ProgrammBild());
    for (const int kante : { 16, 48, 64, 128 })
        icon.addPixmap(QPixmap::fromImage(ProgrammBildDaten(kante)));
    return icon;
}
