#include "app/Haupt.h"

#include "app/Info.h"
#include "components/InternetDetect.h"
#include "components/TrayIcon.h"
#include "core/BenutzerVerwaltung.h"
#include "core/Budget.h"
#include "core/EuroUmstellung.h"
#include "core/Verlaufseintrag.h"
#include "gui/Benannt.h"
#include "gui/Gestaltung.h"
#include "gui/Skalierung.h"
#include "platform/Anwendung.h"
#include "platform/ProgrammIcon.h"
#include "report/Jahresuebersicht.h"
#include "report/Konto.h"
#include "runtime/Dialoge.h"
#include "runtime/Fehlerausgabe.h"
#include "runtime/Format.h"
#include "runtime/Shell.h"
#include "settings/Settings.h"
#include "store/Abrechnung.h"
#include "store/Daten.h"
#include "store/Tarife.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

TForm1* Form1 = nullptr;

namespace {

const QString KeinTarifText
    = QStringLiteral("Es ist kein Tarif ausgewählt. Bitte tun Sie dies im Menü \"Datei -> Einstellungen\"");

// The tick that prices the running connection, and the look for the month's turn
// while none runs.
constexpr int TaktMs = 1000;
constexpr int MonatsPruefungMs = 10'000;

QLabel* NeuesLabel(QWidget* eltern, const char* name, const QString& text, int links, int oben, int breite)
{
    auto* label = new QLabel(text, eltern);
    label->setObjectName(QLatin1String(name));
    QFont schrift = label->font();
    schrift.setBold(true);
    label->setFont(schrift);
    label->setGeometry(links, oben, breite, qMax(13, label->sizeHint().height()));
    return label;
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    MeldeFensterAn(Form1, this);
    Application().MainForm = this;
    if (Application().Icon.isNull())
        Application().Icon = ProgrammIcon();
    setWindowIcon(Application().Icon);
    // The detector polls from here on, so events can arrive during start-up's dialogs.
    InternetDetect1 = new TInternetDetect(this);
    InternetDetect1->setObjectName(QStringLiteral("InternetDetect1"));
    InternetDetect1->OnConnect = [this](QObject* Sender) { InternetDetect1Connect(Sender); };
    InternetDetect1->OnDisconnect = [this](QObject* Sender) { InternetDetect1Disconnect(Sender); };
    Zaehler.SetzeByteLeser([detektor = QPointer<TInternetDetect>(InternetDetect1)] {
        return detektor ? detektor->Bytes() : std::nullopt;
    });
    BaueMenues();
    BaueFenster();
    PasseAnSchriftAn(this);
    FDesignFlaeche = centralWidget()->size();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(TaktMs);
    // A coarse timer may fire early, and the tick's time prices the connection.
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(Timer1); });
    FMonatsTimer = new QTimer(this);
    FMonatsTimer->setInterval(MonatsPruefungMs);
    connect(FMonatsTimer, &QTimer::timeout, this, [this] {
        if (!Zaehler.Misst())
            Wende(Zaehler.PruefeMonat());
    });

    TrayIcon1 = new TTrayIcon(this);
    TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
    TrayIcon1->SetHint(StartHinweis());
    TrayIcon1->PopupMenu = PopupMenu1;
    TrayIcon1->OnDblClick = [this](QObject* Sender) { TrayIcon1DblClick(Sender); };
    ZeigeZustand({});

    FormCreate(this);
}

TForm1::~TForm1()
{
    MeldeFensterAb(Form1, this);
}

void TForm1::BaueMenues()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    Kostenwolf1 = MainMenu1->addMenu(QStringLiteral("&Kostenwolf"));
    Kostenwolf1->setObjectName(QStringLiteral("Kostenwolf1"));
    auto eintrag = [](QMenu* menue, const char* name, const QString& text) {
        QAction* a = menue->addAction(text);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    Konto1 = eintrag(Kostenwolf1, "Konto1", QStringLiteral("Konto"));
    Jahresuebersicht1 = eintrag(Kostenwolf1, "Jahresuebersicht1", QStringLiteral("Jahresübersicht"));
    Einstellungen1 = eintrag(Kostenwolf1, "Einstellungen1", QStringLiteral("&Einstellungen"));
    Info1 = eintrag(Kostenwolf1, "Info1", QStringLiteral("&Info"));
    N1 = Kostenwolf1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    Beenden1 = eintrag(Kostenwolf1, "Beenden1", QStringLiteral("&Beenden"));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    ffnen1 = eintrag(PopupMenu1, "ffnen1", QStringLiteral("Öffnen"));
    Beenden2 = eintrag(PopupMenu1, "Beenden2", QStringLiteral("Beenden"));

    connect(Konto1, &QAction::triggered, this, [this] { Konto1Click(Konto1); });
    connect(
        Jahresuebersicht1, &QAction::triggered, this, [this] { Jahresuebersicht1Click(Jahresuebersicht1); });
    connect(Einstellungen1, &QAction::triggered, this, [this] { Einstellungen1Click(Einstellungen1); });
    connect(Info1, &QAction::triggered, this, [this] { Info1Click(Info1); });
    connect(Beenden1, &QAction::triggered, this, [this] { Beenden1Click(Beenden1); });
    connect(ffnen1, &QAction::triggered, this, [this] { ffnen1Click(ffnen1); });
    connect(Beenden2, &QAction::triggered, this, [this] { Beenden2Click(Beenden2); });
}

void TForm1::BaueFenster()
{
    setWindowTitle(QStringLiteral("Kostenwolf"));
    // Single border, system menu and minimize button; the window cannot be maximized.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(DesignSchrift());

    auto* flaeche = new QWidget(this);
    flaeche->setObjectName(QStringLiteral("Flaeche"));
    // The volume's two lines below the time and the month amount.
    constexpr int volumen = 16;
    flaeche->setFixedSize(171, 97 + 2 * volumen);
    setCentralWidget(flaeche);

    ZeitLabel = NeuesLabel(flaeche, "ZeitLabel", QStringLiteral("00:00:00"), 5, 5, 75);
    KostenLabel = NeuesLabel(flaeche, "KostenLabel", NullBetragText(), 80, 5, 91);
    VolumenLabel = NeuesLabel(flaeche, "VolumenLabel", QStringLiteral("–"), 80, 5 + volumen, 91);
    Label1 = NeuesLabel(
        flaeche, "Label1", QStringLiteral("Diesen Monat: ") + NullBetragText(), 5, 30 + volumen, 166);
    InklusivLabel = NeuesLabel(flaeche, "InklusivLabel", QString(), 5, 30 + 2 * volumen, 166);
    InklusivLabel->setFont(flaeche->font());
    InklusivLabel->hide();
    Benutzerlabel
        = NeuesLabel(flaeche, "Benutzerlabel", QStringLiteral("xxxxxxxxxxxxxxxxx"), 5, 55 + 2 * volumen, 166);
    URLLabel = NeuesLabel(flaeche, "URLLabel", QStringLiteral("Homepage"), 5, 75 + 2 * volumen, 60);
    QFont unterstrichen = URLLabel->font();
    unterstrichen.setUnderline(true);
    URLLabel->setFont(unterstrichen);
    // Only the word itself is the link.
    URLLabel->resize(URLLabel->sizeHint().width(), URLLabel->height());
    AlsVerweis(URLLabel);
    URLLabel->installEventFilter(this);
    BezahltLabel = NeuesLabel(flaeche, "BezahltLabel", QString(), 5, 97, 166);
    WechselLabel = NeuesLabel(flaeche, "WechselLabel", QString(), 5, 117, 166);
    BezahltLabel->hide();
    WechselLabel->hide();

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    move(226, 84);
}

bool TForm1::eventFilter(QObject* objekt, QEvent* event)
{
    if (objekt == URLLabel && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton
        && URLLabel->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        URLLabelClick(URLLabel);
        return true;
    }
    return QMainWindow::eventFilter(objekt, event);
}

void TForm1::FormCreate(QObject*)
{
    TAnlaufWunsch wunsch;
    wunsch.Kennwort = FrageKennwort;
    wunsch.KennwortWiederholen = true;
    wunsch.Melde = [](const QString& text, const QString& protokoll) {
        if (!protokoll.isEmpty())
            SchreibeFehlerausgabe(protokoll);
        ShowMessage(text);
    };
    wunsch.WaehrungGeladen = [] { Application().SetzeIcon(ProgrammIcon()); };
    const TAnlauf anlauf = Zaehler.Starte(wunsch);

    // Replaces the tray icon's minimize hook; its restore hook stays.
    Application().OnMinimize = [form = QPointer<TForm1>(this)](QObject* Sender) {
        if (form)
            form->AppMinimize(Sender);
        else
            Application().MinimiereAufTaskleiste();
    };
    if (Daten.MinimiertStarten == MinimiertStartenAn)
        setWindowState(windowState() | Qt::WindowMinimized);
    setWindowFlag(Qt::WindowStaysOnTopHint, Daten.FensterStil == FensterStilImVordergrund);
    if (anlauf.art != TAnlauf::Angemeldet) {
        FStartAbgebrochen = true;
        return;
    }
    // The window was built before the currency was known.
    KostenLabel->setText(NullBetragText());
    Benutzerlabel->setText(Daten.Benutzer[AktBenutzer].Name.Text());

    // Once the window is up: a first start of this version takes over the whole account,
    // which no write of this run can double.
    NachDemZeigen(this, [] { UebernimmDatenInVerlauf(); });
    for (const QString& meldung : anlauf.Meldungen)
        ShowMessage(meldung);
    if (Daten.Benutzer[AktBenutzer].TarifNr == 0)
        ShowMessage(KeinTarifText);
    Label1->setText(MonatsText(MonatsSumme(AktBenutzer)));

    Wende(Zaehler.Freigeben());
    FMonatsTimer->start();
}

std::optional<QString> TForm1::FrageKennwort(int)
{
    return InputQuery(QStringLiteral("Kennwort eingeben"),
        QStringLiteral("Geben Sie bitte Ihr Kennwort ein."), QString(), true);
}

void TForm1::ZeigeBeimStart()
{
    // Without a tray icon (the panel may come up after the program, as with the
    // session's autostart) the window waits minimized on the taskbar, reachable,
    // until the icon takes it in.
    if (Daten.MinimiertStarten == MinimiertStartenAn) {
        Application().Minimize();
        return;
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose(this);
    event->accept();
}

void TForm1::FormClose(QObject*)
{
    if (FGeschlossen)
        return;
    FGeschlossen = true;

    const TZaehlerErgebnis ergebnis = Zaehler.Schliessen();
    Timer1->stop();
    FMonatsTimer->stop();
    ZeigeTexte(ergebnis.Messung);
    InternetDetect1->SetConnected(false);
    delete TrayIcon1;
    TrayIcon1 = nullptr;

    QStringList meldungen = FMeldungen + ergebnis.Meldungen;
    FMeldungen.clear();
    for (const QString& text : ergebnis.Speicherfehler) {
        if (FOhneRueckfrage)
            SchreibeFehlerausgabe(QStringLiteral("kostenwolf: ") + text);
        else
            meldungen << text;
    }
    // Messages of the running connection's log entry and of the saves; a box still
    // open for an earlier message keeps its place and is not shown again.
    if (!FOhneRueckfrage && !FZeigtMeldung) {
        for (const QString& text : std::as_const(meldungen))
            ShowMessage(text);
    }
    emit Geschlossen();
}

void TForm1::SchliesseOhneRueckfrage()
{
    FOhneRueckfrage = true;
    if (FGeschlossen) {
        // The close sequence ran and waits on a box of its own: the files are written.
        emit Geschlossen();
        return;
    }
    close();
    // A window that refused the close event still runs the close sequence.
    FormClose(this);
}

void TForm1::Beenden1Click(QObject*)
{
    close();
}

void TForm1::Beenden2Click(QObject*)
{
    // Ends the orderly way, so the run's changes are saved like with "&Beenden".
    close();
}

void TForm1::Einstellungen1Click(QObject*)
{
    if (Form2) {
        Form2->exec();
        // The budget, or the user it is measured for, may have changed.
        Wende(Zaehler.PruefeBudget());
    }
}

void TForm1::Info1Click(QObject*)
{
    if (Form3)
        Form3->exec();
}

void TForm1::Konto1Click(QObject*)
{
    if (Form4)
        Form4->exec();
}

void TForm1::Jahresuebersicht1Click(QObject*)
{
    if (!GueltigerBenutzer(AktBenutzer))
        return;
    int jahr, monat, tag;
    DecodeDate(Now(), jahr, monat, tag);
    TJahresuebersicht fenster(Verlauf(), AktBenutzerName(), Budgets().Budget(AktBenutzer).Betrag,
        Daten.Benutzer[AktBenutzer].TarifNr, jahr, this);
    fenster.exec();
}

void TForm1::ffnen1Click(QObject*)
{
    Application().Restore();
}

void TForm1::TrayIcon1DblClick(QObject*)
{
    Application().Restore();
}

bool TForm1::ImTray() const
{
    return TrayIcon1 && TrayIcon1->IconAngezeigt();
}

void TForm1::AppMinimize(QObject*)
{
    // Hidden without a tray icon the program could not be reached again.
    if (ImTray())
        hide();
    else
        Application().MinimiereAufTaskleiste();
}

void TForm1::FormDblClick(QObject*)
{
}

void TForm1::FormMouseDown(QObject*)
{
}

void TForm1::mouseDoubleClickEvent(QMouseEvent* event)
{
    FormDblClick(this);
    QMainWindow::mouseDoubleClickEvent(event);
}

void TForm1::mousePressEvent(QMouseEvent* event)
{
    FormMouseDown(this);
    QMainWindow::mousePressEvent(event);
}

void TForm1::URLLabelClick(QObject*)
{
    ShellExecuteOpen(HerstellerHomepage());
}

void TForm1::ZeigeZustand(TSymbolZustand zustand)
{
    // Drawn anew only when the state or the currency changes, not with every second's
    // hint.
    const QString waehrung = WaehrungsZeichen();
    if (!TrayIcon1 || (FSymbolZustand == zustand && FSymbolWaehrung == waehrung))
        return;
    FSymbolZustand = zustand;
    FSymbolWaehrung = waehrung;
    TrayIcon1->SetIcon(ZustandsIcon(zustand, waehrung));
}

void TForm1::ZeigeBudgetWarnung(const QString& text)
{
    if (TrayIcon1 && TrayIcon1->ZeigeWarnung(text))
        return;
    // No balloon to be had: a note on the main window that nothing waits for.
    if (!FBudgetNotiz) {
        FBudgetNotiz = new QMessageBox(QMessageBox::Warning, AnwendungsTitel(), text, QMessageBox::Ok, this);
        FBudgetNotiz->setObjectName(QStringLiteral("BudgetNotiz"));
        FBudgetNotiz->setAttribute(Qt::WA_DeleteOnClose);
        FBudgetNotiz->setWindowModality(Qt::NonModal);
    }
    FBudgetNotiz->setText(text);
    FBudgetNotiz->show();
}

void TForm1::InternetDetect1Connect(QObject*)
{
    Wende(Zaehler.Verbunden());
}

void TForm1::Timer1Timer(QObject*)
{
    Wende(Zaehler.Tick());
}

void TForm1::InternetDetect1Disconnect(QObject*)
{
    Wende(Zaehler.Getrennt());
}

void TForm1::ZeigeTexte(const TMessErgebnis& ergebnis)
{
    if (ergebnis.ZeitText)
        ZeitLabel->setText(*ergebnis.ZeitText);
    if (ergebnis.KostenText)
        KostenLabel->setText(*ergebnis.KostenText);
    if (ergebnis.MonatText)
        Label1->setText(*ergebnis.MonatText);
    if (ergebnis.VolumenText)
        VolumenLabel->setText(*ergebnis.VolumenText);
    if (ergebnis.InklusivText) {
        InklusivLabel->setText(*ergebnis.InklusivText);
        InklusivLabel->setVisible(!ergebnis.InklusivText->isEmpty());
    }
    if (ergebnis.BezahltText || ergebnis.WechselText)
        ZeigeRegelZeilen(ergebnis.BezahltText.value_or(QString()), ergebnis.WechselText.value_or(QString()));
    else if (!ergebnis.TickLaeuft)
        ZeigeRegelZeilen({}, {});
}

void TForm1::ZeigeRegelZeilen(const QString& bezahlt, const QString& wechsel)
{
    QWidget* flaeche = centralWidget();
    int unten = FDesignFlaeche.height();
    int rechts = FDesignFlaeche.width();
    for (auto [label, text] : { std::pair { BezahltLabel, bezahlt }, std::pair { WechselLabel, wechsel } }) {
        label->setText(text);
        label->setVisible(!text.isEmpty());
        if (text.isEmpty())
            continue;
        label->setGeometry(label->x(), unten, label->sizeHint().width(), label->height());
        unten += label->height() + 4;
        rechts = qMax(rechts, label->geometry().right() + 10);
    }
    // "Inklusivvolumen: 5,7 von 5,0 GB" is wider than the window was designed.
    if (!InklusivLabel->isHidden()) {
        InklusivLabel->resize(InklusivLabel->sizeHint().width(), InklusivLabel->height());
        rechts = qMax(rechts, InklusivLabel->geometry().right() + 10);
    }
    if (flaeche->size() != QSize(rechts, unten))
        flaeche->setFixedSize(rechts, unten);
}

void TForm1::Wende(const TZaehlerErgebnis& ergebnis)
{
    if (FGeschlossen)
        return;
    if (ergebnis.Messung.TickLaeuft && !Timer1->isActive())
        Timer1->start();
    else if (!ergebnis.Messung.TickLaeuft)
        Timer1->stop();
    ZeigeTexte(ergebnis.Messung);
    if (ergebnis.Symbol) {
        if (TrayIcon1)
            TrayIcon1->SetHint(ergebnis.Symbol->Hint);
        ZeigeZustand({ ergebnis.Symbol->Gemessen, ergebnis.Symbol->UeberBudget });
    }
    if (ergebnis.BudgetWarnung)
        ZeigeBudgetWarnung(*ergebnis.BudgetWarnung);
    for (const QString& fehler : ergebnis.Fehler)
        SchreibeFehlerausgabe(QStringLiteral("Kostenwolf: ") + fehler);
    Melde(ergebnis.Fehler);
    if (ergebnis.Messung.MonatGewechselt && Form4 && Form4->isVisible())
        Form4->MonatAnzeigen();
    Melde(ergebnis.Meldungen);
}

void TForm1::Melde(const QStringList& meldungen)
{
    if (meldungen.isEmpty())
        return;
    FMeldungen += meldungen;
    // Never from inside the event: the detector's poll that raised it must end so that
    // it polls again while the box is open.
    if (!FZeigtMeldung)
        QTimer::singleShot(0, this, [this] { ZeigeMeldungen(); });
}

void TForm1::ZeigeMeldungen()
{
    if (FZeigtMeldung)
        return;
    FZeigtMeldung = true;
    while (!FMeldungen.isEmpty() && !FGeschlossen)
        ShowMessage(FMeldungen.takeFirst());
    FZeigtMeldung = false;
}

void TForm1::ZeigeAktBenutzer()
{
    Benutzerlabel->setText(AktBenutzerName());
    // The month amount of the user now current, not a zero: the label keeps it until
    // the next connection ends.
    Label1->setText(MonatsText(MonatsSumme(AktBenutzer)));
    ZeitLabel->setText(QStringLiteral("00:00:00"));
    KostenLabel->setText(NullBetragText());
    VolumenLabel->setText(QStringLiteral("–"));
    InklusivLabel->hide();
}

void TForm1::EuroUmstellen()
{
    if (Zaehler.Misst()) {
        ShowMessage(
            QStringLiteral("Bitte zuerst die Verbindung beenden; dann lässt sich auf Euro umstellen."));
        return;
    }
    const TEuroErgebnis ergebnis = StelleGeladenesKontoAufEuroUm();
    if (ergebnis.art == TEuroErgebnis::Umgestellt) {
        Application().SetzeIcon(ProgrammIcon());
        ZeigeAktBenutzer();
        Wende(Zaehler.WaehrungGewechselt());
    }
    ShowMessage(ergebnis.Meldung);
}
