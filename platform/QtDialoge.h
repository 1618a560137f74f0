// The dialog functions on the desktop: Qt message boxes, the input prompt and the
// print and save dialogs, captioned with the application title.
#pragma once

#include "runtime/Dialoge.h"

class TQtDialoge : public TDialoge {
public:
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
};

// Installs TQtDialoge and the desktop's opener for the shell's "open".
void InstalliereDesktopDienste();
