// The dialog functions of the class library. The program main installs the Qt
// implementation from platform/; tests install scriptable ones (tests/support). Until
// one is installed, no box is shown and every question gets its default answer.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QPrinter;

// The application title, used as the caption of message and input boxes.
QString AnwendungsTitel();
void SetzeAnwendungsTitel(const QString& titel);

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
using TMsgDlgButtons = int;
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// Captions of the typed message boxes ("Bestätigen" for questions).
QString MessageDlgCaption(TMsgDlgType typ);

struct TSaveDialogOptionen {
    QString Titel;
    QString Filter; // class library notation: "Text-Datei (*.txt)|*.txt|CSV-Datei (*.csv)|*.csv"
    // The filter shown first, counted from 1; the dialog leaves the one chosen in it.
    int FilterIndex = 1;
    QString DefaultExt;
    QString FileName;
    QString InitialDir;
};

class TDialoge {
public:
    virtual ~TDialoge() = default;
    virtual void ShowMessage(const QString& text) = 0;
    virtual int MessageDlg(const QString& text, TMsgDlgType typ, TMsgDlgButtons knoepfe) = 0;
    // Returns the typed text on "OK" and the preset answer on "Abbrechen".
    virtual QString InputBox(
        const QString& caption, const QString& prompt, const QString& vorgabe, bool passwort)
        = 0;
    // The same box for callers that must tell "OK" on an empty line from "Abbrechen":
    // the typed text, or nothing when cancelled.
    virtual std::optional<QString> InputQuery(
        const QString& caption, const QString& prompt, const QString& vorgabe, bool passwort)
        = 0;
    virtual void Fehler(const QString& text) = 0;
    // The print dialog: true when the user confirmed; the printer is set up by it.
    virtual bool PrintDialog(QPrinter& drucker) = 0;
    // The save dialog: the chosen file name, empty when cancelled. The chosen filter
    // goes back into optionen.FilterIndex.
    virtual QString SaveDialog(TSaveDialogOptionen& optionen) = 0;
    // The open dialog for an existing file: its name, empty when cancelled.
    virtual QString OpenDialog(TSaveDialogOptionen& optionen) = 0;
};

void InstalliereDialoge(std::unique_ptr<TDialoge> dialoge);
TDialoge& Dialoge();

// The familiar free functions.
void ShowMessage(const QString& text);
int MessageDlg(const QString& text, TMsgDlgType typ, TMsgDlgButtons knoepfe);
QString InputBox(
    const QString& caption, const QString& prompt, const QString& vorgabe, bool passwort = false);
std::optional<QString> InputQuery(
    const QString& caption, const QString& prompt, const QString& vorgabe, bool passwort = false);
void FehlerMeldung(const QString& text);
