#include "app/Info.h"
#include "process/Programmaufruf.h"
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
    void zeigtDieVersionDesBausUndDieAdressen()
    {
        TTestumgebung welt;
        TForm3 form;
        // The version the build defines, the one "kostenwolf --version" prints as well.
        const char* const argumente[] = { "kostenwolf", "--version" };
        const QString version = HilfeOderVersion(2, argumente).value_or(QString()).trimmed();
        QCOMPARE(version, QStringLiteral("Kostenwolf " KOSTENWOLF_VERSION));
        QCOMPARE(Text(form, "VersionsLabel"), QStringLiteral("Version: ") + version.section(' ', 1));
        QCOMPARE(Text(form, "EMailLabel"), HerstellerEMail());
        QCOMPARE(Text(form, "URLLabel"), HerstellerHomepage());
        // Every control of the design is found by its name and shows something.
        for (const char* name : { "Label1", "Label2", "Label3", "Label4", "Label6", "Label7" })
            QVERIFY2(!Text(form, name).isEmpty() && !Text(form, name).startsWith('<'), name);
        QVERIFY(form.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().size() == QSize(32, 32));
        QVERIFY(!form.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->text().isEmpty());
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
