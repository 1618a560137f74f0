// The shell's "open" verb: web addresses and "mailto:" links. The program main installs
// the desktop's opener from platform/; tests record what would have been opened
// (tests/support). Until one is installed, nothing is opened.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

using TShellOeffner = std::function<bool(const QString& ziel)>;

void InstalliereShellOeffner(TShellOeffner oeffner);
// Hands the target to the shell; the result is not examined by any caller.
bool ShellExecuteOpen(const QString& ziel);

// The maker's addresses (build settings).
QString HerstellerHomepage();
QString HerstellerEMail();
