#include "app/Programm.h"

#include "app/Haupt.h"
#include "app/Info.h"
#include "gui/Fensterstil.h"
#include "platform/Anwendung.h"
#include "platform/ProgrammIcon.h"
#include "platform/QtDialoge.h"
#include "platform/Signale.h"
#include "platform/Uebersetzungen.h"
#include "report/Konto.h"
#include "runtime/Dialoge.h"
#include "runtime/Format.h"
#include "settings/Settings.h"
#include "store/Daten.h"

#include <QApplication>
#include <QPointer>
#include <QSessionManager>
#include <QTimer>
#include <memory>

int FuehreProgrammAus(QApplication& app, const std::function<void()>& nachDemZeigen)
{
    SetzeAnwendungsTitel(QStringLiteral("Kostenwolf"));
    QApplication::setApplicationName(QStringLiteral("Kostenwolf"));
    LadeQtUebersetzungen();
    FormatSettings = LeseSystemFormate();
    InstalliereDesktopDienste();
    Application().Icon = ProgrammIcon();
    QApplication::setWindowIcon(Application().Icon);
    // The program ends with the main window's close sequence, not with the last
    // visible window: in the tray there is none.
    QApplication::setQuitOnLastWindowClosed(false);

    // A signal while start-up still waits in a dialog ends that dialog; the program then
    // ends as soon as the main window exists, the orderly way if the login went through.
    static bool fruehesEnde = false;
    // Should the handlers fail to install (no descriptors left), a signal ends the
    // program the default way, as before any of this.
    (void)LeiteBeendenSignaleUm([] {
        fruehesEnde = true;
        QCoreApplication::exit(0);
    });

    // The windows live until the program ends, the main window longest.
    auto form1 = std::make_unique<TForm1>();
    if (form1->StartAbgebrochen())
        return 0;
    if (fruehesEnde) {
        form1->SchliesseOhneRueckfrage();
        return 0;
    }
    // The other windows open only from the main window's menus: they are made once the
    // main window is on the screen, so that building them does not hold it up.
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm3> form3;
    std::unique_ptr<TForm4> form4;
    const auto weitereFenster = [&] {
        form2 = std::make_unique<TForm2>();
        VerbindeEinstellungen(*form1, *form2);
        form3 = std::make_unique<TForm3>();
        form4 = std::make_unique<TForm4>();
    };

    QObject::connect(form1.get(), &TForm1::Geschlossen, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // Nobody may be there to answer a box: the files are written at once. The handlers
    // are in place already; this only replaces the action.
    (void)LeiteBeendenSignaleUm([] {
        if (Form1)
            Form1->SchliesseOhneRueckfrage();
    });
    VerbindeSitzungsende(app, *form1);
    // Whatever ends the loop, the close sequence has run by then.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, form1.get(), [] {
        if (Form1 && !Form1->CloseSequenzGelaufen())
            Form1->SchliesseOhneRueckfrage();
    });

    form1->ZeigeBeimStart();
    if (nachDemZeigen)
        QTimer::singleShot(0, &app, nachDemZeigen);
    NachDemZeigen(&app, weitereFenster);
    const int ergebnis = QApplication::exec();

    Form1 = nullptr;
    return ergebnis;
}

void VerbindeSitzungsende(QGuiApplication& app, TForm1& haupt)
{
#ifndef QT_NO_SESSIONMANAGER
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &haupt,
        [fenster = &haupt](QSessionManager&) { fenster->SchliesseOhneRueckfrage(); });
#else
    Q_UNUSED(app);
    Q_UNUSED(haupt);
#endif
}

void VerbindeEinstellungen(TForm1& haupt, TForm2& einstellungen)
{
    QObject::connect(&einstellungen, &TForm2::FensterStilGeaendert, &haupt,
        [fenster = &haupt](int stil) { SetzeImVordergrund(fenster, stil == FensterStilImVordergrund); });
    QObject::connect(&einstellungen, &TForm2::BenutzerGewechselt, &haupt, &TForm1::ZeigeAktBenutzer);
    QObject::connect(&einstellungen, &TForm2::EuroUmstellungGewuenscht, &haupt, &TForm1::EuroUmstellen);
}
