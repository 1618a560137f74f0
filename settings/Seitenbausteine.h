// What the pages of the settings window share: captions, the close button and the
// reading of a list's selection.
#pragma once

#include "platform/Benannt.h"

#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QStyle>

inline const QString NeuerTarifTitel = QStringLiteral("Neuer Tarif");
inline const QString TarifBearbeitenTitel = QStringLiteral("Tarif bearbeiten");
inline const QString KeinTarifVorhanden = QStringLiteral("Kein Tarif vorhanden");

inline QPushButton* SchliessenKnopf(QWidget* eltern, const char* name)
{
    auto* knopf = Benannt(new QPushButton(QStringLiteral("&Schließen"), eltern), name);
    knopf->setIcon(eltern->style()->standardIcon(QStyle::SP_DialogCloseButton));
    return knopf;
}

// The line that is selected, -1 for none. The list's current line alone does not
// count: the view sets it on focus without selecting anything.
inline int AusgewaehlteZeile(const QListWidget* liste)
{
    const QList<QListWidgetItem*> auswahl = liste->selectedItems();
    return auswahl.isEmpty() ? -1 : liste->row(auswahl.first());
}

// Names become captions of buttons: an ampersand must stay a character.
inline QString OhneKuerzel(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
