#include "platform/ProgrammIcon.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

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

// Bold glyphs seven rows high, one string per row, '#' set.
const std::map<QChar, std::vector<const char*>>& Glyphen()
{
    static const std::map<QChar, std::vector<const char*>> glyphen {
        { QLatin1Char('D'), { "#####.", "##..##", "##..##", "##..##", "##..##", "##..##", "#####." } },
        { QLatin1Char('M'), { "##...##", "###.###", "##.#.##", "##.#.##", "##...##", "##...##", "##...##" } },
        { QChar(0x20AC), { "..####", ".##...", "#####.", ".##...", "#####.", ".##...", "..####" } },
    };
    return glyphen;
}

// The currency across the coin's face, centred on it; a text with a sign that has no
// glyph here is written in a small bold font.
void Waehrung(QPainter& p, const QString& text, int mitte, int oben)
{
    int breite = 0;
    bool alleBekannt = true;
    for (const QChar c : text) {
        const auto it = Glyphen().find(c);
        if (it == Glyphen().end()) {
            alleBekannt = false;
            break;
        }
        breite += int(std::strlen(it->second.front())) + 1;
    }
    if (!alleBekannt) {
        // Fonts need the GUI application; without one the coin stays blank.
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            return;
        QFont schrift;
        schrift.setPixelSize(9);
        schrift.setBold(true);
        schrift.setStyleStrategy(QFont::NoAntialias);
        p.setFont(schrift);
        p.setPen(Oliv);
        p.drawText(QRect(mitte - 9, oben - 1, 18, 9), Qt::AlignCenter, text);
        return;
    }
    int x = mitte - (breite - 1) / 2;
    for (const QChar c : text) {
        const std::vector<const char*>& zeilen = Glyphen().at(c);
        for (int zeile = 0; zeile < int(zeilen.size()); ++zeile)
            for (int spalte = 0; zeilen[size_t(zeile)][spalte] != '\0'; ++spalte)
                if (zeilen[size_t(zeile)][spalte] == '#')
                    Punkt(p, x + spalte, oben + zeile, Oliv);
        x += int(std::strlen(zeilen.front())) + 1;
    }
}

QImage Zeichne(const QString& waehrung, bool mitGrund)
{
    QImage bild(32, 32, QImage::Format_ARGB32_Premultiplied);
    bild.fill(mitGrund ? Marine : QColor(Qt::transparent));
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
    Waehrung(p, waehrung, 16, 18);
    p.end();
    return bild;
}

QImage Vergroessert(const QImage& bild, int kante)
{
    if (kante <= 0)
        return {};
    const int faktor = (kante + bild.width() - 1) / bild.width();
    const QImage scharf = bild.scaled(bild.width() * faktor, bild.height() * faktor);
    if (scharf.width() == kante)
        return scharf;
    return scharf.scaled(kante, kante, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// A round mark in a lower corner, drawn at the icon's own size so that it stays crisp.
void Marke(QPainter& p, int kante, bool rechts, const QColor& farbe)
{
    const double durchmesser = std::max(6.0, kante * 0.45);
    const double rand = std::max(1.0, kante / 16.0);
    const double x = rechts ? kante - durchmesser : 0.0;
    const QRectF kreis(x + rand / 2, kante - durchmesser + rand / 2, durchmesser - rand, durchmesser - rand);
    p.setPen(QPen(farbe.darker(250), rand));
    p.setBrush(farbe);
    p.drawEllipse(kreis);
}

} // namespace

QImage ProgrammBildDaten(const QString& waehrung)
{
    return Zeichne(waehrung, true).convertToFormat(QImage::Format_RGB32);
}

QImage ProgrammBildDaten(int kante, const QString& waehrung)
{
    return Vergroessert(ProgrammBildDaten(waehrung), kante);
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

QImage ZustandsBildDaten(int kante, TSymbolZustand zustand, const QString& waehrung)
{
    QImage bild = Vergroessert(Zeichne(waehrung, false), kante);
    if (bild.isNull())
        return bild;
    QPainter p(&bild);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (zustand.UeberBudget)
        Marke(p, kante, false, QColor(230, 0, 0));
    if (zustand.Gemessen)
        Marke(p, kante, true, QColor(0, 200, 0));
    p.end();
    return bild;
}

QIcon ZustandsIcon(TSymbolZustand zustand, const QString& waehrung)
{
    QIcon icon;
    for (const int kante : { 16, 22, 24, 32, 48, 64, 128 })
        icon.addPixmap(QPixmap::fromImage(ZustandsBildDaten(kante, zustand, waehrung)));
    return icon;
}
