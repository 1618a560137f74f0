#include "settings/Seite.h"

#include "gui/Benannt.h"
#include "runtime/Dialoge.h"

#include <QListWidget>
#include <QPushButton>
#include <QStyle>

QPushButton* TSeite::SchliessenKnopf(const char* name)
{
    auto* knopf = Benannt(new QPushButton(QStringLiteral("&Schließen"), this), name);
    knopf->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    return knopf;
}

void TSeite::Meldung(const QString& text)
{
    ShowMessage(text);
    emit Gemeldet();
}

void TSeite::KeineZeileGewaehlt()
{
    Meldung(QStringLiteral("Der Index der Liste überschreitet das Maximum (-1)"));
}

void NeueZeile(QListWidget* liste, const QString& text, int nummer)
{
    auto* zeile = new QListWidgetItem(text, liste);
    zeile->setData(Qt::UserRole, nummer);
}

int GewaehlteNummer(const QListWidget* liste)
{
    const QList<QListWidgetItem*> auswahl = liste->selectedItems();
    return auswahl.isEmpty() ? -1 : auswahl.first()->data(Qt::UserRole).toInt();
}

QString OhneKuerzel(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
