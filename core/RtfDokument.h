// A small Rich Text writer for the month export: one paragraph per line in one font, the
// text in Windows-1252 with every character outside plain ASCII written as an escape,
// so the file reads the same in any word processor whatever its code page.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

QByteArray RtfDokument(const QStringList& absaetze, const QString& schrift, int punkte);

// One line of text as RTF: the specials \ { } escaped, Windows-1252 characters above
// 127 as \'hh, anything the code page lacks as \uN with '?' for older readers, a tab
// as \tab; other control characters are dropped.
QByteArray RtfText(const QString& text);
