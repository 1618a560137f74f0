// The main window warning of the current user's monthly budget: a balloon at the tray
// icon, or a note on the window where there is no notification area, once per level
// and month, and the budget's share in the tray hint.
#include "app/Haupt.h"
#include "components/TrayIcon.h"
#include "core/Budget.h"
#include "platform/ShellNotify.h"
#include "store/Daten.h"
#include "store/Tarife.h"
#include "support/Hauptfenster.h"
#include "support/ShellNotifyAufzeichnung.h"
#include "support/Testumgebung.h"

#include <QMessageBox>
#include <QtTest>
#include <memory>
#include <optional>

static const TDateTime ImMaerz = EncodeDate(2026, 3, 14) + EncodeTime(22, 10, 0, 0);

class TestHauptBudget : public QObject {
    Q_OBJECT

    std::optional<TTestumgebung> umgebung;
    TShellNotifyAufzeichnung* shell = nullptr;
    std::unique_ptr<TForm1> form;

    QStringList Sprechblasen() const
    {
        QStringList texte;
        for (const TSprechblase& s : shell->Sprechblasen)
            texte << s.Text;
        return texte;
    }

    // Anna has logged 3 DM this month, a budget of 5 DM, and a tariff of 10 Pfennig
    // a minute: 80 % are reached after 10 minutes of a connection, 100 % after 20.
    void Anna()
    {
        Daten.BenutzerAnzahl = 1;
        Daten.StartBenutzer = 1;
        Daten.Benutzer[1].Name.Setze(QStringLiteral("Anna"));
        Daten.Benutzer[1].MonatNr = 3;
        Daten.Benutzer[1].TarifNr = 1;
        TMonat& maerz = Daten.Benutzer[1].Monate[3];
        maerz.Verbindungen[0].Tarif.Setze(QStringLiteral("Minute"));
        maerz.Verbindungen[0].Datum = ImMaerz - 3;
        maerz.Verbindungen[0].Kosten = 3;
        Tarife[1].Name.Setze(QStringLiteral("Minute"));
        Tarife[1].Preis = 10;
        AktTarif = Tarife[1];
        AktBenutzer = 1;
        QVERIFY(Budgets().SetzeBudget(1, { 5, StandardWarnstufen }).Ok());
    }

    void Starte()
    {
        SetzeUhr(ImMaerz);
        form = StarteHauptfenster(*umgebung->Dialoge);
        QVERIFY(form);
    }

    void Ticks(int bisMinute)
    {
        SetzeUhr(ImMaerz);
        form->InternetDetect1Connect(nullptr);
        for (int m = 1; m <= bisMinute; ++m) {
            SetzeUhr(ImMaerz + m / 1440.0);
            form->Timer1Timer(nullptr);
        }
    }

private slots:
    void init()
    {
        umgebung.emplace();
        shell = &ZeichneShellNotifyAuf();
        SetzeUhr(ImMaerz);
    }

    void cleanup()
    {
        form.reset();
        InstalliereShellNotify(nullptr);
        umgebung.reset();
    }

    void eineLaufendeVerbindungWarntJedeStufeEinmal()
    {
        Anna();
        Starte();
        Ticks(9);
        QVERIFY(shell->Sprechblasen.empty());
        QCOMPARE(form->TrayIcon1->Hint(), QStringLiteral("00:09:00 - 0,9 DM (Budget: 78 %)"));

        Ticks(25);
        QCOMPARE(Sprechblasen(),
            (QStringList { QStringLiteral("Kostenwolf: 80 % des Monatsbudgets erreicht (4,00 von 5,00 DM)"),
                QStringLiteral("Kostenwolf: Monatsbudget überschritten (5,00 von 5,00 DM)") }));
        QCOMPARE(shell->Sprechblasen.front().Titel, QStringLiteral("Kostenwolf"));
        QCOMPARE(shell->Sprechblasen.front().Millisekunden, 10'000);
        QCOMPARE(form->TrayIcon1->Hint(), QStringLiteral("00:25:00 - 2,5 DM (Budget: 110 %)"));

        // Logged, the connection leaves the month where the last tick had it: no more warnings.
        form->InternetDetect1Disconnect(nullptr);
        QCOMPARE(shell->Sprechblasen.size(), size_t(2));
        QCOMPARE(form->findChildren<QMessageBox*>().size(), 0);
    }

    void ohneInfobereichEineNotizDieNichtsAufhaelt()
    {
        shell->Infobereich = false;
        Anna();
        Starte();
        Ticks(10);
        auto* notiz = form->findChild<QMessageBox*>(QStringLiteral("BudgetNotiz"));
        QVERIFY(notiz && notiz->isVisible() && !notiz->isModal());
        QCOMPARE(
            notiz->text(), QStringLiteral("Kostenwolf: 80 % des Monatsbudgets erreicht (4,00 von 5,00 DM)"));
        QVERIFY(umgebung->Dialoge->Meldungen().isEmpty());
        QVERIFY(form->Timer1->isActive());
    }

    void beimStartEinmalUndImNeuenMonatWieder()
    {
        // Over budget before any connection: the base fee alone is more.
        Anna();
        Tarife[1].Grundpreis = 6;
        QVERIFY(SpeichereDaten().Ok);
        QVERIFY(SpeichereTarife().Ok);
        const QString ueber = QStringLiteral("Kostenwolf: Monatsbudget überschritten (9,00 von 5,00 DM)");

        Starte();
        QCOMPARE(Sprechblasen(), QStringList { ueber });
        QCOMPARE(form->TrayIcon1->Hint(), QStringLiteral("Kostenwolf - 0,00DM (Budget: 180 %)"));

        // A restart within the month keeps quiet.
        form.reset();
        Starte();
        QCOMPARE(shell->Sprechblasen.size(), size_t(1));

        // In April the month begins anew with the base fee, over budget again.
        form.reset();
        SetzeUhr(EncodeDate(2026, 4, 1) + 0.3);
        form = std::make_unique<TForm1>();
        QCOMPARE(Sprechblasen(),
            (QStringList {
                ueber, QStringLiteral("Kostenwolf: Monatsbudget überschritten (6,00 von 5,00 DM)") }));
    }

    void derMonatswechselImLaufWarntWieder()
    {
        Anna();
        Tarife[1].Grundpreis = 6;
        AktTarif = Tarife[1];
        const TDateTime spaet = EncodeDate(2026, 3, 31) + EncodeTime(23, 50, 0, 0);
        SetzeUhr(spaet);
        form = StarteHauptfenster(*umgebung->Dialoge);
        QVERIFY(form);
        form->InternetDetect1Connect(nullptr);
        SetzeUhr(spaet + 1 / 1440.0);
        form->Timer1Timer(nullptr);
        QCOMPARE(shell->Sprechblasen.size(), size_t(1));
        SetzeUhr(EncodeDate(2026, 4, 1) + EncodeTime(0, 10, 0, 0));
        form->InternetDetect1Disconnect(nullptr);
        QCOMPARE(Sprechblasen().last(),
            QStringLiteral("Kostenwolf: Monatsbudget überschritten (6,00 von 5,00 DM)"));
    }
};

QTEST_MAIN(TestHauptBudget)
#include "tst_haupt_budget.moc"
