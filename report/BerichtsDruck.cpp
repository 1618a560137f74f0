#include "report/BerichtsDruck.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

bool DruckeDokument(QTextDocument& dokument, QPrinter& drucker)
{
    QPainter maler;
    if (!maler.begin(&drucker))
        return false;

    // Fonts measured on the printer, so 10 points are 10 points on paper.
    dokument.documentLayout()->setPaintDevice(&drucker);
    dokument.setDocumentMargin(0);
    const QSizeF seite = drucker.pageRect(QPrinter::DevicePixel).size();
    dokument.setPageSize(seite);

    const int seiten = dokument.pageCount();
    for (int i = 0; i < seiten; ++i) {
        if (i > 0 && !drucker.newPage()) {
            maler.end();
            return false;
        }
        const QRectF ausschnitt(0, i * seite.height(), seite.width(), seite.height());
        maler.save();
        maler.translate(0, -ausschnitt.top());
        dokument.drawContents(&maler, ausschnitt);
        maler.restore();
    }
    return maler.end();
}
