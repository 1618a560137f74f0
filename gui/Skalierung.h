// The windows are laid out in fixed pixels for the design's system font of 8 points
// ("MS Sans Serif", 11 pixels). On a desktop with a larger font their texts grow with
// it, and so do all the fixed sizes and places, so that the window keeps its design
// and no text is cut. A typeface wider than the designed one (the desktop stands in
// its own font for "MS Sans Serif") makes the fixed sizes grow just enough for every
// label and button to hold its text.
#pragma once

#include <QRect>

class QWidget;

// How much larger than Qt's standard desktop font (9 points) the desktop's font is;
// at least 1: a smaller desktop font keeps the design's sizes.
double Schriftfaktor();

// Grows the window built in design pixels, with its fonts, by Schriftfaktor(), and then
// its places and sizes further where a label's or button's text would not fit. Call it
// once, when the window is built. Widgets placed by a layout are left to it; fixed
// widths and heights grow with the rest, and a window of fixed size grows to what its
// layout needs. From then on the window is kept within the screen whenever it is shown.
void PasseAnSchriftAn(QWidget* fenster);

// A window's place and size with its frame such that it lies within the screen's
// available area: the design's size where it fits, shrunk where it does not, moved only
// as far as needed.
QRect ImVerfuegbarenBereich(const QRect& aussen, const QRect& verfuegbar);
// Applies that to the window now, shrinking even a window of fixed size.
void HalteImBildschirm(QWidget* fenster);
