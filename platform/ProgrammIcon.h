// The program's one picture: 32 × 32 pixels in the 16 colours of the standard VGA
// palette. Every window, the tray icon and the about window show it.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

// The picture as an image; needs no GUI application, so tools and tests can use it.
QImage ProgrammBildDaten();
// The picture at kante × kante pixels for icon themes and dense screens: whole
// multiples keep its pixels sharp; other sizes are smoothed down from the next one.
QImage ProgrammBildDaten(int kante);

QPixmap ProgrammBild();
// Carries the picture at 16 to 128 pixels, so that scaled desktops get a sharp icon.
QIcon ProgrammIcon();
