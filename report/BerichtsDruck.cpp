#include "report/BerichtsDruck.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

void SchlageDruckdateiVor(QPrinter& drucker, const QString& dokumentname)
{
    drucker.setDocName(dokumentname);
    const QString bisher = drucker.outputFileName();
    QString ordner;
    if (!bisher.isEmpty()) {
        ordner = QFileInfo(bisher).absolutePath();
    }
    else if (QPrinterInfo::availablePrinters().isEmpty()) {
        // Where the dialog itself would put it: the working folder if it lies in the
        // home folder, else the home folder.
        const QString heim = QDir::homePath();
        const QString hier = QDir::currentPath();
        ordner = hier.startsWith(heim) ? hier : heim;
    }
    else {
        // Setting a file would turn the job away from the printer the user chose last.
        return;
    }
    drucker.setOutputFileName(QDir(ordner).filePath(dokumentname + QStringLiteral(".pdf")));
}

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
    dokument.pageCount(); // lays the whole document out, a line that would straddle a page moved to the next

    // Line by line rather than the document clipped to each page: a clipped page would
    // still carry the text of the neighbouring lines, invisible, but found again by
    // every search and copy in the printed file.
    maler.setPen(Qt::black);
    int aktuelleSeite = 0;
    for (QTextBlock block = dokument.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        const QPointF ursprung = layout->position();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine zeile = layout->lineAt(i);
            const int seitenNr = int((ursprung.y() + zeile.y()) / seite.height());
            while (aktuelleSeite < seitenNr) {
                if (!drucker.newPage()) {
                    maler.end();
                    return false;
                }
                ++aktuelleSeite;
            }
            zeile.draw(&maler, ursprung - QPointF(0, aktuelleSeite * seite.height()));
        }
    }
    return maler.end();
}
