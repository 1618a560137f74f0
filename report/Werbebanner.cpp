#include "report/Werbebanner.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace {

// Scales a bold italic font until the text fills at most 'breite' pixels, so the
// picture looks the same whatever sans-serif font the desktop offers.
QFont PassendeSchrift(const QString& text, qreal breite, int hoechstens)
{
    QFont schrift(QStringLiteral("Arial"));
    schrift.setStyleHint(QFont::SansSerif);
    schrift.setBold(true);
    schrift.setItalic(true);
    for (int groesse = hoechstens; groesse > 6; --groesse) {
        schrift.setPixelSize(groesse);
        if (QFontMetricsF(schrift).horizontalAdvance(text) <= breite)
            break;
    }
    return schrift;
}

} // namespace

QImage MaleWerbebanner()
{
    QImage bild(640, 93, QImage::Format_RGB888);
    QPainter maler(&bild);
    maler.setRenderHint(QPainter::Antialiasing);
    maler.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient verlauf(0, 0, bild.width(), 0);
    verlauf.setColorAt(0, QColor(0, 0, 96));
    verlauf.setColorAt(1, QColor(64, 128, 255));
    maler.fillRect(bild.rect(), verlauf);

    const QString oben = QStringLiteral("HIER KÖNNTE AUCH IHRE WERBUNG STEHEN!");
    const QString unten = QStringLiteral("BITTE ANKLICKEN");
    maler.setPen(QColor(255, 230, 0));
    maler.setFont(PassendeSchrift(oben, bild.width() - 40, 30));
    maler.drawText(QRect(0, 6, bild.width(), 46), Qt::AlignCenter, oben);
    maler.setFont(PassendeSchrift(unten, bild.width() - 40, 22));
    maler.drawText(QRect(0, 52, bild.width(), 36), Qt::AlignCenter, unten);
    maler.end();
    return bild;
}

TWerbebanner::TWerbebanner(QWidget* parent)
    : QLabel(parent)
{
    setFixedSize(640, 93);
    setCursor(Qt::PointingHandCursor);
}

void TWerbebanner::showEvent(QShowEvent* event)
{
    // Painted when first seen: the picture and its fonts cost memory from start-up on,
    // although most runs never open the report.
    if (pixmap().isNull())
        setPixmap(QPixmap::fromImage(MaleWerbebanner()));
    QLabel::showEvent(event);
}

void TWerbebanner::DoClick()
{
    if (OnClick)
        OnClick(this);
}

void TWerbebanner::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        DoClick();
    QLabel::mouseReleaseEvent(event);
}
