#include "gui/Fensterstil.h"

#include <QWidget>

void SetzeImVordergrund(QWidget* fenster, bool vorne)
{
    if (!fenster)
        return;
    if (fenster->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == vorne)
        return;
    // Changing the flags of a window re-creates it hidden, so it is shown again in the
    // state it had.
    const bool sichtbar = fenster->isVisible();
    const Qt::WindowStates zustand = fenster->windowState();
    fenster->setWindowFlag(Qt::WindowStaysOnTopHint, vorne);
    if (sichtbar) {
        fenster->setWindowState(zustand);
        fenster->show();
    }
}
