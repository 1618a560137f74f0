// Qt's own dialogs speak the desktop's language. CTest runs this program with
// LANG=de_DE.UTF-8.
#include "platform/Uebersetzungen.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QTranslator>
#include <QtTest>

namespace {

QStringList KnopfTexte(const QWidget& fenster)
{
    QStringList texte;
    for (const QAbstractButton* knopf : fenster.findChildren<QAbstractButton*>())
        texte << knopf->text().remove(QLatin1Char('&'));
    return texte;
}

QStringList SpeichernDialogKnoepfe()
{
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    return KnopfTexte(dialog);
}

} // namespace

class TestUebersetzungen : public QObject {
    Q_OBJECT

    QTranslator* geladen = nullptr;

private slots:
    void cleanup()
    {
        if (geladen)
            QCoreApplication::removeTranslator(geladen);
        delete geladen;
        geladen = nullptr;
    }

    void germanDesktopGetsGermanDialogs()
    {
        QCOMPARE(QLocale::system().language(), QLocale::German);
        geladen = LadeQtUebersetzungen();
        QVERIFY2(geladen, "qtbase_de not found (Debian package qt6-translations-l10n)");

        const QStringList speichern = SpeichernDialogKnoepfe();
        QVERIFY2(speichern.contains(QStringLiteral("Speichern")), qPrintable(speichern.join('|')));
        QVERIFY2(speichern.contains(QStringLiteral("Abbrechen")), qPrintable(speichern.join('|')));

        QPrinter drucker;
        QPrintDialog druckdialog(&drucker);
        const QStringList drucken = KnopfTexte(druckdialog);
        QVERIFY2(drucken.contains(QStringLiteral("Drucken")), qPrintable(drucken.join('|')));
    }

    void qtsTextsFollowAnotherLanguage()
    {
        geladen = LadeQtUebersetzungen(QLocale(QLocale::French, QLocale::France));
        QVERIFY(geladen);
        const QStringList speichern = SpeichernDialogKnoepfe();
        QVERIFY2(speichern.contains(QStringLiteral("Enregistrer")), qPrintable(speichern.join('|')));
        QVERIFY(!speichern.contains(QStringLiteral("Speichern")));
    }
};

QTEST_MAIN(TestUebersetzungen)
#include "tst_uebersetzungen.moc"
