// Prints the formats the program reads from the system locale at start, one per line,
// for the test that runs it under several locales.
#include "runtime/Format.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    // Like the program: the application object takes the locale of the environment.
    QCoreApplication app(argc, argv);
    const TFormatSettings f = LeseSystemFormate();
    std::printf("%s\n%s\n%s\n%s\n", QString(f.DecimalSeparator).toUtf8().constData(),
        f.ShortDateFormat.toUtf8().constData(), f.LongTimeFormat.toUtf8().constData(),
        QString(f.TimeSeparator).toUtf8().constData());
    return 0;
}
