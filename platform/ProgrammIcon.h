// The program's one picture: 32 × 32 pixels in the 16 colours of the standard VGA
// palette. Every window, the tray icon and the about window show it.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

// The picture as an image; needs no GUI application, so tools and tests can use it.
QImage ProgrammBildDaten();

QPixmap ProgrammBild();
QIcon ProgrammIcon();
