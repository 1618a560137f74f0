// What the pages of the settings window share: the close button, the messages, and
// the numbers that the lines of a list carry.
#pragma once

#include <QString>
#include <QWidget>

class QListWidget;
class QPushButton;

class TSeite : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

signals:
    // A message box was shown; the frame refills the tariff list, as on every
    // activation of the window.
    void Gemeldet();
    // The page's "Schließen" was clicked.
    void SchliessenVerlangt();

protected:
    QPushButton* SchliessenKnopf(const char* name);
    void Meldung(const QString& text);
    // Remove, edit, switch and the like need a selected line.
    void KeineZeileGewaehlt();
};

// Each line of the tariff and user lists carries its slot or user number.
void NeueZeile(QListWidget* liste, const QString& text, int nummer);
// The number of the selected line, -1 for none. The list's current line alone does not
// count: the view sets it on focus without selecting anything.
int GewaehlteNummer(const QListWidget* liste);

// Names become captions of buttons: an ampersand must stay a character.
QString OhneKuerzel(QString text);
