// Qt's own texts (standard buttons, the file and print dialogs) in the desktop's
// language. The program's own texts are German whatever the locale; only what Qt
// draws itself follows the system, so a German desktop sees "Speichern", not "Save".
#pragma once

#include <QLocale>

class QTranslator;

// Installs Qt's translation for the given locale from Qt's translations folder.
// Returns the installed translator (owned by the application object), or nullptr
// when Qt has none for that language: its texts then stay English.
QTranslator* LadeQtUebersetzungen(const QLocale& sprache = QLocale::system());
