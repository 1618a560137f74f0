// The look the windows share: the design's font and clickable text.
#pragma once

#include <QFont>

class QLabel;

// MS Sans Serif at 8 points on a 96-dpi screen; where it is missing, a sans serif
// of the same pixel size stands in.
QFont DesignSchrift();

// Blue text with the pointing hand: the label reads as a link. The click itself is
// the window's business.
void AlsVerweis(QLabel* label);
