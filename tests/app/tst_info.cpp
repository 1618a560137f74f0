#include "app/Info.h"
#include "runtime/Shell.h"
#include "support/Testumgebung.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestInfo : public QObject {
    Q_OBJECT

    static QString Text(const TForm3& form, const char* name)
    {
        const auto* label = form.findChild<QLabel*>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("<fehlt: %1>").arg(QLatin1String(name));
    }

private slots:
    void zeigtDieTexteWieVorgesehen()
    {
        TTestumgebung welt;
        TForm3 form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Info"));
        QCOMPARE(form.size(), QSize(312, 298));
        QCOMPARE(Text(form, "Label1"), QStringLiteral("Kostenwolf"));
        QCOMPARE(Text(form, "VersionsLabel"), QStringLiteral("Version: 1.3.4"));
        QCOMPARE(Text(form, "Label2"), QStringLiteral("Entwickelt vom Kostenwolf-Team"));
        QCOMPARE(Text(form, "Label3"), QStringLiteral("Kostenwolf-Projekt"));
        QCOMPARE(Text(form, "Label7"), QStringLiteral("E-Mail:"));
        QCOMPARE(Text(form, "EMailLabel"), HerstellerEMail());
        QCOMPARE(Text(form, "Label6"), QStringLiteral("Weitere Programme, finden Sie unter:"));
        QCOMPARE(Text(form, "URLLabel"), HerstellerHomepage());
        QCOMPARE(Text(form, "Label4"), QStringLiteral("Orginalgröße der *.exe: 565.248 Byte"));
        QVERIFY(form.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().size() == QSize(32, 32));
        QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->text(), QStringLiteral("OK"));
        QVERIFY(!form.windowIcon().isNull());

        // However wide the font, the mail row stays inside its panel.
        const auto* panel = form.findChild<QFrame*>(QStringLiteral("Panel1"));
        QVERIFY(panel->rect().contains(form.EMailLabel->geometry()));
        QVERIFY(form.Label7->geometry().right() < form.EMailLabel->x());
    }

    void verweiseOeffnenGenauIhreBeschriftung()
    {
        TTestumgebung welt;
        TForm3 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        QTest::mouseClick(form.URLLabel, Qt::LeftButton);
        QTest::mouseClick(form.EMailLabel, Qt::LeftButton);
        QCOMPARE(*welt.Shell,
            QStringList({ HerstellerHomepage(), QStringLiteral("mailto:") + HerstellerEMail() }));

        // The target is whatever the caption says at the moment of the click, untouched.
        welt.Shell->clear();
        form.URLLabel->setText(QStringLiteral(" http://example.org/a b "));
        form.EMailLabel->setText(QStringLiteral("x@example.org"));
        QTest::mouseClick(form.URLLabel, Qt::LeftButton);
        QTest::mouseClick(form.EMailLabel, Qt::LeftButton);
        QTest::mouseClick(form.EMailLabel, Qt::RightButton);
        QCOMPARE(*welt.Shell,
            QStringList(
                { QStringLiteral(" http://example.org/a b "), QStringLiteral("mailto:x@example.org") }));
        QVERIFY(welt.Dialoge->Protokoll.empty());
    }

    void okSchliesstUndLaesstNichtsZurueck()
    {
        TTestumgebung welt;
        TForm3 form;
        QCOMPARE(Form3, &form);
        for (int mal = 0; mal < 2; ++mal) {
            QTimer::singleShot(0, &form, [&] { QTest::mouseClick(form.BitBtn1, Qt::LeftButton); });
            QCOMPARE(form.exec(), int(QDialog::Accepted));
            QVERIFY(!form.isVisible());
            QCOMPARE(Text(form, "URLLabel"), HerstellerHomepage());
        }
        QTimer::singleShot(0, &form, [&] { form.close(); });
        QCOMPARE(form.exec(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(TestInfo)
#include "tst_info.moc"
