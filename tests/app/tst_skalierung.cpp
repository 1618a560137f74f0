// No text of the four windows is cut and no window is larger than the screen: with the
// desktop's standard font, with a desktop font of 12 points, and (a second CTest run of
// this program) on a 1280 × 1024 screen with QT_SCALE_FACTOR=2.
#include "app/Haupt.h"
#include "app/Info.h"
#include "gui/Skalierung.h"
#include "platform/Anwendung.h"
#include "platform/ShellNotify.h"
#include "report/Konto.h"
#include "settings/Settings.h"
#include "store/Daten.h"
#include "support/Hauptfenster.h"
#include "support/ShellNotifyAufzeichnung.h"
#include "support/Testumgebung.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QtTest>
#include <memory>
#include <optional>

namespace {

// Labels and buttons of the window as it shows now whose text does not fit their place,
// be it fixed by the design or given by a layout.
QStringList Abgeschnitten(QWidget* fenster)
{
    QStringList befunde;
    QList<QWidget*> pruefen;
    for (QLabel* l : fenster->findChildren<QLabel*>())
        pruefen << l;
    for (QAbstractButton* b : fenster->findChildren<QAbstractButton*>())
        pruefen << b;
    for (const QWidget* w : pruefen) {
        const QWidget* eltern = w->parentWidget();
        if (qobject_cast<const QTabBar*>(eltern) || !w->isVisibleTo(fenster) || w->size().isEmpty())
            continue;
        const auto* label = qobject_cast<const QLabel*>(w);
        QSize noetig
            = label && label->wordWrap() ? QSize(0, label->heightForWidth(w->width())) : w->sizeHint();
        QSize platz = w->size();
        if (const auto* knopf = qobject_cast<const QPushButton*>(w)) {
            // The caption and icon inside the frame; the style's minimum width is no text.
            QStyleOptionButton option;
            option.initFrom(knopf);
            platz = knopf->style()->subElementRect(QStyle::SE_PushButtonContents, &option, knopf).size();
            noetig = knopf->fontMetrics().size(Qt::TextShowMnemonic, knopf->text());
            if (!knopf->icon().isNull())
                noetig.setWidth(noetig.width() + knopf->iconSize().width() + 4);
        }
        if (noetig.width() > platz.width() || noetig.height() > platz.height())
            befunde << QStringLiteral("%1 \"%2\": %3x%4 in %5x%6")
                           .arg(w->objectName(),
                               label ? label->text() : static_cast<const QAbstractButton*>(w)->text())
                           .arg(noetig.width())
                           .arg(noetig.height())
                           .arg(platz.width())
                           .arg(platz.height());
    }
    return befunde;
}

} // namespace

class TestSkalierung : public QObject {
    Q_OBJECT

    std::optional<TTestumgebung> umgebung;
    QFont desktopschrift;

    void PruefeAlleFenster(double mindestens)
    {
        Daten.BenutzerAnzahl = 4;
        Daten.StartBenutzer = 1;
        AktBenutzer = 1;
        for (int u = 1; u <= 4; ++u)
            Daten.Benutzer[u].Name.Setze(QStringLiteral("Benutzer %1").arg(u));
        const std::unique_ptr<TForm1> hauptfenster = StarteHauptfenster(*umgebung->Dialoge);
        QVERIFY(hauptfenster);
        TForm1& form1 = *hauptfenster;
        TForm2 form2;
        TForm3 form3;
        TForm4 form4;
        const auto pruefe = [](QWidget* fenster, const QString& name) {
            const QStringList befunde = Abgeschnitten(fenster);
            QVERIFY2(befunde.isEmpty(), qPrintable(name + ": " + befunde.join("; ")));
            const QRect bildschirm = fenster->screen()->availableGeometry();
            QVERIFY2(bildschirm.contains(fenster->frameGeometry()),
                qPrintable(QStringLiteral("%1 larger than the screen: %2x%3")
                               .arg(name)
                               .arg(fenster->frameGeometry().width())
                               .arg(fenster->frameGeometry().height())));
        };
        for (QWidget* fenster : std::initializer_list<QWidget*> { &form1, &form3, &form4 }) {
            fenster->show();
            pruefe(fenster, fenster->objectName());
        }
        form2.show();
        for (int seite = 0; seite < form2.TreeView1->topLevelItemCount(); ++seite) {
            form2.TreeView1->setCurrentItem(form2.TreeView1->topLevelItem(seite));
            QApplication::processEvents();
            pruefe(&form2, form2.TreeView1->currentItem()->text(0));
        }
        // The design sizes grow with the font.
        QVERIFY(form1.centralWidget()->width() >= 171 * mindestens - 1);
        QVERIFY(form3.width() >= 312 * mindestens - 1);
    }

private slots:
    void init()
    {
        umgebung.emplace();
        InstalliereShellNotify(std::make_unique<TShellNotifyAufzeichnung>());
        desktopschrift = QApplication::font();
    }

    void cleanup()
    {
        QApplication::setFont(desktopschrift);
        InstalliereShellNotify(nullptr);
        Application().MainForm = nullptr;
        umgebung.reset();
    }

    void standardschrift() { PruefeAlleFenster(1.0); }

    // A text wider than its design place (a wider typeface): the whole window grows in
    // proportion, so neighbours keep their distance.
    void zuEngerEntwurfWaechstAlsGanzes()
    {
        QWidget fenster;
        fenster.setFixedSize(200, 60);
        auto* label = new QLabel(QStringLiteral("Ein Text, der nicht in seinen Platz passt"), &fenster);
        label->setGeometry(5, 5, 100, 20);
        auto* knopf = new QPushButton(QStringLiteral("OK"), &fenster);
        knopf->setGeometry(110, 5, 80, 30);
        const double noetig = double(label->sizeHint().width()) / 100;
        QVERIFY(noetig > 1.2);

        PasseAnSchriftAn(&fenster);
        QVERIFY(Abgeschnitten(&fenster).isEmpty());
        QVERIFY(label->width() <= 100 * noetig + 2);
        QCOMPARE(fenster.width(), fenster.maximumWidth());
        QVERIFY(fenster.width() >= 200 * noetig - 1);
        QVERIFY(knopf->x() >= label->geometry().right());
    }

    void desktopschriftZwoelfPunkte()
    {
        QFont gross = QApplication::font();
        gross.setPointSize(12);
        QApplication::setFont(gross);
        PruefeAlleFenster(12.0 / 9.0);
    }
};

QTEST_MAIN(TestSkalierung)
#include "tst_skalierung.moc"
