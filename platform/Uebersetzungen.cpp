#include "platform/Uebersetzungen.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QTranslator* LadeQtUebersetzungen(const QLocale& sprache)
{
    auto* app = QCoreApplication::instance();
    if (!app)
        return nullptr;
    auto* uebersetzung = new QTranslator(app);
    // qtbase holds everything the widgets module shows; "qt_de" would only pull it in
    // together with modules this program does not use.
    if (!uebersetzung->load(sprache, QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(uebersetzung)) {
        delete uebersetzung;
        return nullptr;
    }
    return uebersetzung;
}
