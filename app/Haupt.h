// The main window: the running meter (time, cost, month amount, user), the program
// menu, and the start-up and close sequences of the program.
//
// Constructing TForm1 runs the start-up sequence (FormCreate): it loads "Daten.kwd"
// and "Tarife.kwt" from the data directory (KOSTENWOLF_DATA_DIR in tests), may ask for
// a password and shows its messages through the dialog functions, so tests install the
// scriptable dialogs first and prepare the record by saving it before. The metering
// behind the labels is the meter's (core/Zaehler.h); the window applies its results.
#pragma once

#include "core/Zaehler.h"
#include "platform/ProgrammIcon.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QTimer;
class TInternetDetect;
class TTrayIcon;

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    TInternetDetect* InternetDetect1 = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QMenu* Kostenwolf1 = nullptr;
    QAction* Einstellungen1 = nullptr;
    QAction* Info1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Beenden1 = nullptr;
    TTrayIcon* TrayIcon1 = nullptr; // gone once the close sequence has run
    QMenu* PopupMenu1 = nullptr;
    QLabel* ZeitLabel = nullptr;
    QTimer* Timer1 = nullptr;
    QLabel* KostenLabel = nullptr;
    // The connection's data volume, and how much of the month's included volume is used
    // (hidden where the tariff includes none).
    QLabel* VolumenLabel = nullptr;
    QLabel* InklusivLabel = nullptr;
    QAction* ffnen1 = nullptr;
    QAction* Beenden2 = nullptr;
    QAction* Konto1 = nullptr;
    QAction* Jahresuebersicht1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Benutzerlabel = nullptr;
    QLabel* URLLabel = nullptr;
    // Below the design's labels, shown only while a tariff with rules prices the
    // connection: the end of the unit already paid and the next price within the hour.
    QLabel* BezahltLabel = nullptr;
    QLabel* WechselLabel = nullptr;

    void FormCreate(QObject* Sender);
    void Beenden1Click(QObject* Sender);
    void FormClose(QObject* Sender);
    void Einstellungen1Click(QObject* Sender);
    void Info1Click(QObject* Sender);
    void Beenden2Click(QObject* Sender);
    void ffnen1Click(QObject* Sender);
    void TrayIcon1DblClick(QObject* Sender);
    void Konto1Click(QObject* Sender);
    void Jahresuebersicht1Click(QObject* Sender);
    void InternetDetect1Connect(QObject* Sender);
    void Timer1Timer(QObject* Sender);
    void InternetDetect1Disconnect(QObject* Sender);
    void FormDblClick(QObject* Sender);
    void FormMouseDown(QObject* Sender);
    void URLLabelClick(QObject* Sender);
    void AppMinimize(QObject* Sender);

    // The metering behind the labels; its results are applied by Wende.
    TZaehler Zaehler;

    // True once "Abbrechen" was chosen at the password prompt: the program ends at
    // once and writes nothing.
    bool StartAbgebrochen() const { return FStartAbgebrochen; }
    // Shows the window as the message loop starts: minimized to the tray when the
    // options ask for it and a tray icon can take its place, else normally.
    void ZeigeBeimStart();
    bool CloseSequenzGelaufen() const { return FGeschlossen; }
    // After a switch of users: the name and month amount of the user now current; the
    // meter starts from zero.
    void ZeigeAktBenutzer();
    // Moves the account to Euro (the question has been answered); refused while a
    // connection is metered, whose running cost is still in DM.
    void EuroUmstellen();
    // Closes without a single box (signals, the session's end): both files are written
    // at once, messages that would have come are dropped, a failed save goes to stderr.
    void SchliesseOhneRueckfrage();
    // Messages waiting to be shown, the one on screen included.
    bool MeldungenAnstehend() const { return FZeigtMeldung || !FMeldungen.isEmpty(); }

signals:
    // The close sequence has run; the program ends.
    void Geschlossen();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* objekt, QEvent* event) override;

private:
    void BaueFenster();
    void BaueMenues();
    // Asks for user u's password; none: "Abbrechen".
    static std::optional<QString> FrageKennwort(int u);
    // Shows a meter's result: labels, tick, tray hint and icon, budget warning; its
    // messages are queued.
    void Wende(const TZaehlerErgebnis& ergebnis);
    // The labels an event changed.
    void ZeigeTexte(const TMessErgebnis& ergebnis);
    // Shows or hides the two lines of a tariff with rules; the window keeps the
    // design's size without them.
    void ZeigeRegelZeilen(const QString& bezahlt, const QString& wechsel);
    // Shows the queued messages one after another, outside any event handler.
    void ZeigeMeldungen();
    // Queues boxes to show once the event that brought them has ended.
    void Melde(const QStringList& meldungen);
    bool ImTray() const;
    void ZeigeBudgetWarnung(const QString& text);
    // The tray icon's marks: metering, budget used up.
    void ZeigeZustand(TSymbolZustand zustand);

    std::optional<TSymbolZustand> FSymbolZustand; // what the tray icon shows
    QString FSymbolWaehrung;
    QSize FDesignFlaeche; // the labels' area as designed, at the desktop's font
    QPointer<QMessageBox> FBudgetNotiz; // the warning where no notification area shows it

    bool FStartAbgebrochen = false;
    bool FGeschlossen = false;
    bool FOhneRueckfrage = false;
    bool FZeigtMeldung = false;
    QStringList FMeldungen;
    // Looks for the month's turn while no connection is metered.
    QTimer* FMonatsTimer = nullptr;
};

extern TForm1* Form1;
