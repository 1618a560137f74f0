// The program's one picture: 32 × 32 pixels in the 16 colours of the standard VGA
// palette, the sign of the program's currency on its coin. Every window, the tray icon and the about
// window show it.
#pragma once

#include "runtime/Waehrung.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

// The picture as an image; needs no GUI application, so tools and tests can use it.
QImage ProgrammBildDaten(const QString& waehrung = WaehrungsZeichen());
// The picture at kante × kante pixels for icon themes and dense screens: whole
// multiples keep its pixels sharp; other sizes are smoothed down from the next one.
QImage ProgrammBildDaten(int kante, const QString& waehrung = WaehrungsZeichen());

QPixmap ProgrammBild();
// Carries the picture at 16 to 128 pixels, so that scaled desktops get a sharp icon.
QIcon ProgrammIcon();

// What the tray icon tells at a glance.
struct TSymbolZustand {
    bool Gemessen = false; // a connection is being metered: a green mark
    bool UeberBudget = false; // the month's budget is used up: a red mark
    bool operator==(const TSymbolZustand&) const = default;
};

// The tray icon: the picture without its dark ground, so that it sits on any panel,
// with the marks of the state drawn at the size itself.
QImage ZustandsBildDaten(int kante, TSymbolZustand zustand, const QString& waehrung = WaehrungsZeichen());
QIcon ZustandsIcon(TSymbolZustand zustand, const QString& waehrung = WaehrungsZeichen());
