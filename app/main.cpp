#include "platform/QtDialoge.h"
#include "runtime/Dialoge.h"
#include "runtime/Format.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    SetzeAnwendungsTitel(QStringLiteral("Kostenwolf"));
    QApplication::setApplicationName(QStringLiteral("Kostenwolf"));
    FormatSettings = LeseSystemFormate();
    InstalliereDesktopDienste();

    QMainWindow fenster;
    fenster.setWindowTitle(QStringLiteral("Kostenwolf"));
    fenster.show();
    return app.exec();
}
