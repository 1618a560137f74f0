#include "platform/ProgrammIcon.h"

#include <QSet>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

const QSet<QRgb> Vga16 = {
    qRgb(0, 0, 0),
    qRgb(128, 0, 0),
    qRgb(0, 128, 0),
    qRgb(128, 128, 0),
    qRgb(0, 0, 128),
    qRgb(128, 0, 128),
    qRgb(0, 128, 128),
    qRgb(192, 192, 192),
    qRgb(128, 128, 128),
    qRgb(255, 0, 0),
    qRgb(0, 255, 0),
    qRgb(255, 255, 0),
    qRgb(0, 0, 255),
    qRgb(255, 0, 255),
    qRgb(0, 255, 255),
    qRgb(255, 255, 255),
};

QImage AlsRgb(const QImage& bild)
{
    return bild.convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(ProgrammIcon, KeepsToThirtyTwoPixelsInTheSixteenColourPalette)
{
    const QImage bild = AlsRgb(ProgrammBildDaten());
    ASSERT_EQ(bild.size(), QSize(32, 32));
    QSet<QRgb> benutzt;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            benutzt.insert(bild.pixel(x, y) | 0xff000000u);
    for (QRgb farbe : benutzt)
        EXPECT_TRUE(Vga16.contains(farbe)) << std::hex << farbe;
    // Dark blue ground in the corners, where neither box nor coin reaches.
    EXPECT_EQ(bild.pixel(0, 31), qRgb(0, 0, 128));
    EXPECT_EQ(bild.pixel(31, 31), qRgb(0, 0, 128));
    EXPECT_TRUE(benutzt.contains(qRgb(255, 255, 0)));
}

TEST(ProgrammIcon, IconAndPixmapCarryThePicture)
{
    EXPECT_FALSE(ProgrammIcon().isNull());
    EXPECT_EQ(AlsRgb(ProgrammBild().toImage()), AlsRgb(ProgrammBildDaten()));
}

// The installed PNG is a copy of the drawn picture; running this test with
// KOSTENWOLF_ICON_SCHREIBEN=<file> writes a fresh one after the drawing changed.
TEST(ProgrammIcon, InstalledPngMatchesTheDrawnPicture)
{
    const QByteArray ziel = qgetenv("KOSTENWOLF_ICON_SCHREIBEN");
    if (!ziel.isEmpty()) {
        ASSERT_TRUE(ProgrammBildDaten().save(QString::fromLocal8Bit(ziel), "PNG"));
    }
    const QImage png(QStringLiteral(KOSTENWOLF_QUELLEN "/app/kostenwolf.png"));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(AlsRgb(png), AlsRgb(ProgrammBildDaten()));
}

// The tray icon at the sizes panels ask for: the picture on a transparent ground, a
// green mark while a connection is metered, a red one once the budget is used up; the
// coin names the currency it is given.
TEST(ProgrammIcon, StateIconCarriesItsMarksOnATransparentGround)
{
    const auto zaehle = [](const QImage& bild, const QRect& bereich, bool gruen) {
        int anzahl = 0;
        for (int y = bereich.top(); y <= bereich.bottom(); ++y)
            for (int x = bereich.left(); x <= bereich.right(); ++x) {
                const QRgb p = bild.pixel(x, y);
                const int stark = gruen ? qGreen(p) : qRed(p);
                const int schwach = std::max(gruen ? qRed(p) : qGreen(p), qBlue(p));
                anzahl += qAlpha(p) > 200 && stark > 150 && schwach < 100;
            }
        return anzahl;
    };
    for (const int kante : { 16, 22, 24, 32, 48, 64 })
        for (const bool gemessen : { false, true })
            for (const bool ueberBudget : { false, true }) {
                const QImage bild = ZustandsBildDaten(kante, { gemessen, ueberBudget });
                ASSERT_EQ(bild.size(), QSize(kante, kante));
                EXPECT_EQ(qAlpha(bild.pixel(kante / 2, 0)), 0) << kante;
                const int haelfte = kante / 2;
                EXPECT_EQ(zaehle(bild, QRect(haelfte, haelfte, haelfte, haelfte), true) > 0, gemessen)
                    << kante;
                EXPECT_EQ(zaehle(bild, QRect(0, haelfte, haelfte, haelfte), false) > 0, ueberBudget) << kante;
            }
    EXPECT_NE(ProgrammBildDaten(QStringLiteral("DM")), ProgrammBildDaten(QString(QChar(0x20AC))));
    EXPECT_NE(
        ZustandsBildDaten(32, {}, QStringLiteral("DM")), ZustandsBildDaten(32, {}, QString(QChar(0x20AC))));
}
