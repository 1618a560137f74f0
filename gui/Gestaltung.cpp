#include "gui/Gestaltung.h"

#include <QLabel>
#include <QPalette>

QFont DesignSchrift()
{
    QFont schrift(QStringLiteral("MS Sans Serif"));
    schrift.setStyleHint(QFont::SansSerif);
    schrift.setPixelSize(11);
    return schrift;
}

void AlsVerweis(QLabel* label)
{
    QPalette blau = label->palette();
    blau.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(blau);
    label->setCursor(Qt::PointingHandCursor);
}
