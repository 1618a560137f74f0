// The shell's "open" verb, recorded instead of handed to the desktop.
#pragma once

#include <QStringList>

// Installs a recorder and returns the list it fills.
QStringList& ZeichneShellAuf();
