// Scriptable dialogs: every box shown is recorded, answers come from a script.
#pragma once

#include "runtime/Dialoge.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

// The scriptable dialogs for tests.
struct TDialogAufruf {
    enum Art { Nachricht, Frage, Eingabe, Fehlerbox, Drucken, Speichern, Oeffnen } art;
    QString caption;
    QString text; // message or prompt
    QString vorgabe;
    bool passwort = false;
    TMsgDlgType typ = mtCustom;
    TMsgDlgButtons knoepfe = 0;
};

class TTestDialoge : public TDialoge {
public:
    // Every dialog shown, in order.
    std::vector<TDialogAufruf> Protokoll;
    // Answers, taken in order by the dialogs that need one: MessageDlg takes an int
    // (mrYes...), InputBox a text (std::nullopt there = "Abbrechen"), PrintDialog a
    // bool, SaveDialog and OpenDialog a file name. Without a scripted answer: MessageDlg mrNo,
    // InputBox "Abbrechen", PrintDialog false, SaveDialog cancelled.
    std::deque<int> Knopfantworten;
    std::deque<std::optional<QString>> Eingaben;
    std::deque<bool> Druckantworten;
    std::deque<QString> Dateinamen;
    // The filter the user picks with the next file name (counted from 1); without one
    // the filter shown first stays chosen.
    std::deque<int> Filterwahlen;
    // Called with each dialog as it is "open" (a modal loop would run here).
    std::function<void(const TDialogAufruf&)> BeiAnzeige;

    void ShowMessage(const QString& text) override;
    int MessageDlg(const QString& text, TMsgDlgType typ, TMsgDlgButtons knoepfe) override;
    QString InputBox(
        const QString& caption, const QString& prompt, const QString& vorgabe, bool passwort) override;
    std::optional<QString> InputQuery(
        const QString& caption, const QString& prompt, const QString& vorgabe, bool passwort) override;
    void Fehler(const QString& text) override;
    bool PrintDialog(QPrinter& drucker) override;
    QString SaveDialog(TSaveDialogOptionen& optionen) override;
    QString OpenDialog(TSaveDialogOptionen& optionen) override;

    // Texts of all message boxes (ShowMessage, MessageDlg, error box) in order.
    QStringList Meldungen() const;

private:
    void Zeige(const TDialogAufruf& aufruf);
};

// Installs fresh TTestDialoge and returns them (owned by the dialog functions).
TTestDialoge& InstalliereTestDialoge();
