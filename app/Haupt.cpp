#include "app/Haupt.h"

#include "app/Info.h"
#include "components/InternetDetect.h"
#include "components/TrayIcon.h"
#include "core/BenutzerVerwaltung.h"
#include "core/Budget.h"
#include "core/EuroUmstellung.h"
#include "core/Verlaufseintrag.h"
#include "core/Wiederherstellung.h"
#include "gui/Gestaltung.h"
#include "gui/Skalierung.h"
#include "platform/Anwendung.h"
#include "platform/ProgrammIcon.h"
#include "report/Jahresuebersicht.h"
#include "report/Konto.h"
#include "runtime/Dialoge.h"
#include "runtime/Format.h"
#include "runtime/Shell.h"
#include "settings/Settings.h"
#include "store/Abrechnung.h"
#include "store/Daten.h"
#include "store/Datenverzeichnis.h"
#include "store/Startablauf.h"
#include "store/Tarife.h"
#include "store/Waehrungseinstellung.h"

#include <QAction>
#include <QCloseEvent>
#include <QDebug>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <cstdio>

TForm1* Form1 = nullptr;

namespace {

const QString KeinTarifText
    = QStringLiteral("Es ist kein Tarif ausgewählt. Bitte tun Sie dies im Menü \"Datei -> Einstellungen\"");

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

TForm1::TForm1(QWidget* parent, TStart start)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    if (!Form1)
        Form1 = this;
    Application().MainForm = this;
    if (Application().Icon.isNull())
        Application().Icon = ProgrammIcon();
    setWindowIcon(Application().Icon);
    // The detector polls from here on, so events can arrive during start-up's dialogs.
    InternetDetect1 = new TInternetDetect(this);
    InternetDetect1->setObjectName(QStringLiteral("InternetDetect1"));
    InternetDetect1->OnConnect = [this](QObject* Sender) { InternetDetect1Connect(Sender); };
    InternetDetect1->OnDisconnect = [this](QObject* Sender) { InternetDetect1Disconnect(Sender); };
    Messung.SetzeByteLeser([detektor = QPointer<TInternetDetect>(InternetDetect1)] {
        return detektor ? detektor->Bytes() : std::nullopt;
    });
    BaueMenues();
    BaueFenster();
    PasseAnSchriftAn(this);
    FDesignFlaeche = centralWidget()->size();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    // A coarse timer may fire early, and the tick's time prices the connection.
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(Timer1); });
    FMonatsTimer = new QTimer(this);
    FMonatsTimer->setInterval(10'000);
    connect(FMonatsTimer, &QTimer::timeout, this, [this] {
        if (!FGeschlossen && !Messung.Misst())
            Wende(Messung.PruefeMonat());
    });

    // The journal learns which entry its connection became before anything is saved.
    Messung.BeiProtokoll = [this](const TBeendeteVerbindung& v) { FJournal.Protokolliert(v); };

    TrayIcon1 = new TTrayIcon(this);
    TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
    FHintBasis = StartHinweis();
    TrayIcon1->SetHint(FHintBasis);
    TrayIcon1->PopupMenu = PopupMenu1;
    TrayIcon1->OnDblClick = [this](QObject* Sender) { TrayIcon1DblClick(Sender); };
    ZeigeZustand({});

    if (start == TStart::MitStartablauf) {
        FormCreate(this);
    }
    else {
        // The record was prepared in memory: metered from the first event on.
        Messung.Freigeben();
        FMonatsTimer->start();
    }
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
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
    FStartLaeuft = true;

    // Saves that were killed half-way leave their temporary files behind.
    for (const QString& pfad : { DatenPfad(), TarifePfad(), JournalPfad(), EinstellungsPfad() })
        RaeumeTemporaereAuf(pfad);
    // A move to Euro that a crash cut short is taken back before anything is read.
    const QString euroMeldung = SetzeAbgebrocheneEuroUmstellungZurueck(DatenVerzeichnis());
    if (!euroMeldung.isEmpty())
        ShowMessage(euroMeldung);
    if (const QString waehrungMeldung = LadeWaehrung(); !waehrungMeldung.isEmpty())
        ShowMessage(waehrungMeldung);
    Application().SetzeIcon(ProgrammIcon());
    // The window was built before the currency was known.
    KostenLabel->setText(NullBetragText());
    FHintBasis = StartHinweis();
    TrayIcon1->SetHint(FHintBasis);
    ZeigeZustand({});
    const TLadeErgebnis daten = LadeDaten();
    const TLadeErgebnis tarife = LadeTarife();
    // Also on stderr, with the reason: the box names no cause, and it may sit unseen
    // behind other windows or on a display nobody watches.
    auto meldeUnlesbar = [](const QString& pfad, const TLadeErgebnis& ergebnis) {
        const QString text = LadeFehlerText(pfad);
        qWarning().noquote() << QStringLiteral("Kostenwolf: %1 (%2)").arg(text, ergebnis.Grund);
        ShowMessage(text);
    };
    if (daten.art == TLadeErgebnis::Unlesbar)
        meldeUnlesbar(DatenPfad(), daten);
    if (tarife.art == TLadeErgebnis::Unlesbar)
        meldeUnlesbar(TarifePfad(), tarife);
    if (const QString budgetMeldung = LadeBudgets(); !budgetMeldung.isEmpty()) {
        qWarning().noquote() << QStringLiteral("Kostenwolf: ") + budgetMeldung;
        ShowMessage(budgetMeldung);
    }

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

    RichteErstenStartEin();

    if (!Anmelden()) {
        FStartAbgebrochen = true;
        FStartLaeuft = false;
        return;
    }
    Benutzerlabel->setText(Daten.Benutzer[AktBenutzer].Name.Text());

    int jahr, monat, tag;
    DecodeDate(Now(), jahr, monat, tag);
    for (int u = 1; u <= Daten.BenutzerAnzahl && u <= MaxBenutzer; ++u)
        if (Daten.Benutzer[u].MonatNr != monat)
            Budgets().NeuerMonat(u);
    WechsleMonat(monat);

    // The log of every connection: open before the recovery, so that a recovered
    // connection goes in as such; then whatever "Daten.kwd" holds and it lacks, which
    // no write of this run can double.
    const QString verlaufMeldung = OeffneVerlaufBeimStart();
    // A connection that a crash or a power cut cut short is logged before anything is
    // metered anew, so that its journal is not taken for the new one's.
    const TWiederherstellung wiederhergestellt = StelleVerbindungWiederHer(JournalPfad());
    if (wiederhergestellt.JournalBleibt)
        FJournal.Sperre();
    // Once the window is up: a first start of this version takes over the whole account.
    NachDemZeigen(this, [] { UebernimmDatenInVerlauf(); });
    if (!verlaufMeldung.isEmpty())
        ShowMessage(verlaufMeldung);
    for (const QString& meldung : wiederhergestellt.Meldungen)
        ShowMessage(meldung);

    if (Daten.Benutzer[AktBenutzer].TarifNr == 0)
        ShowMessage(KeinTarifText);
    SetzeAktTarif(Daten.Benutzer[AktBenutzer].TarifNr);
    Label1->setText(MonatsText(MonatsSumme(AktBenutzer)));

    FStartLaeuft = false;
    Wende(Messung.Freigeben());
    // Already beyond a level before any connection: told at start-up.
    PruefeBudget();
    FMonatsTimer->start();
}

bool TForm1::Anmelden()
{
    const int u = AnzumeldenderBenutzer();
    if (HatKennwort(u)) {
        for (;;) {
            // Only "Abbrechen" ends the program; "OK" on an empty line is a wrong password.
            const std::optional<QString> eingabe = InputQuery(QStringLiteral("Kennwort eingeben"),
                QStringLiteral("Geben Sie bitte Ihr Kennwort ein."), QString(), true);
            if (!eingabe)
                return false;
            if (KennwortPasst(u, *eingabe))
                break;
            ShowMessage(QStringLiteral("Falsches Kennwort"));
        }
    }
    AktBenutzer = uint8_t(u);
    return true;
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

    // A connection still running is logged up to this moment rather than lost.
    const TMessErgebnis ergebnis = Messung.Schliessen();
    Timer1->stop();
    FMonatsTimer->stop();
    ZeigeTexte(ergebnis);
    InternetDetect1->SetConnected(false);
    delete TrayIcon1;
    TrayIcon1 = nullptr;

    // The saves come first, whatever is still to be said.
    const TSpeicherErgebnis daten = SpeichereDaten();
    SchreibeInVerlauf(ergebnis.Protokolliert);
    Verlauf().Schliesse();
    FJournal.Beende(daten.Ok);
    const TSpeicherErgebnis tarife = SpeichereTarife();
    QStringList meldungen = FMeldungen + ergebnis.Meldungen;
    FMeldungen.clear();
    for (const TSpeicherErgebnis& e : { daten, tarife }) {
        const QString text = SpeicherFehlerText(e);
        if (text.isEmpty())
            continue;
        if (FOhneRueckfrage)
            std::fprintf(stderr, "kostenwolf: %s\n", qPrintable(text));
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
        PruefeBudget();
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

void TForm1::PruefeBudget()
{
    if (FGeschlossen)
        return;
    const bool benutzer = Messung.Freigegeben() && GueltigerBenutzer(AktBenutzer);
    double betrag = 0;
    TBudget budget;
    bool gemessen = false;
    if (benutzer) {
        // A connection ended is in the month already; only a running one adds its cost.
        const std::optional<TLaufendeVerbindung> laufend = Messung.Laufend();
        gemessen = laufend.has_value();
        betrag = MonatsSumme(AktBenutzer) + (laufend ? laufend->Kosten : 0);
        budget = Budgets().Budget(AktBenutzer);
    }
    if (TrayIcon1)
        TrayIcon1->SetHint(FHintBasis + BudgetHinweis(betrag, budget));
    ZeigeZustand({ gemessen, budget.Gesetzt() && StufeErreicht(betrag, budget.Betrag, 100) });
    if (benutzer)
        if (const std::optional<QString> warnung = Budgets().Pruefe(AktBenutzer, betrag, Now()))
            ZeigeBudgetWarnung(*warnung);
    // A warning the settings file would not take is told once; metering goes on.
    if (const QString fehler = Budgets().NimmMeldung(); !fehler.isEmpty()) {
        qWarning().noquote() << QStringLiteral("Kostenwolf: ") + fehler;
        Melde({ fehler });
    }
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
    Wende(Messung.Verbunden());
}

void TForm1::Timer1Timer(QObject*)
{
    Wende(Messung.Tick());
}

void TForm1::InternetDetect1Disconnect(QObject*)
{
    Wende(Messung.Getrennt());
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

void TForm1::Wende(const TMessErgebnis& ergebnis)
{
    if (FGeschlossen)
        return;
    if (ergebnis.TickLaeuft && !Timer1->isActive())
        Timer1->start();
    else if (!ergebnis.TickLaeuft)
        Timer1->stop();
    ZeigeTexte(ergebnis);
    if (ergebnis.MonatGewechselt)
        for (int u = 1; u <= Daten.BenutzerAnzahl && u <= MaxBenutzer; ++u)
            Budgets().NeuerMonat(u);
    // The hint carries the budget's share, so every result that may move the month's
    // amount looks at the budget.
    if (ergebnis.Hint)
        FHintBasis = *ergebnis.Hint;
    if (ergebnis.Hint || ergebnis.MonatText || ergebnis.MonatGewechselt)
        PruefeBudget();
    if (ergebnis.MonatGewechselt && Form4 && Form4->isVisible())
        Form4->MonatAnzeigen();
    QStringList meldungen = ergebnis.Meldungen;
    const QString journalFehler = FJournal.Verfolge(ergebnis);
    if (!journalFehler.isEmpty())
        meldungen << journalFehler;
    Melde(meldungen);
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
    if (Messung.Misst()) {
        ShowMessage(
            QStringLiteral("Bitte zuerst die Verbindung beenden; dann lässt sich auf Euro umstellen."));
        return;
    }
    const TEuroErgebnis ergebnis = StelleGeladenesKontoAufEuroUm();
    if (ergebnis.art == TEuroErgebnis::Umgestellt) {
        Application().SetzeIcon(ProgrammIcon());
        ZeigeAktBenutzer();
        FHintBasis = StartHinweis();
        PruefeBudget();
    }
    ShowMessage(ergebnis.Meldung);
}
