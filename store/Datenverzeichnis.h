// Where the data files live.
#pragma once

#include <QString>

// The data directory: $KOSTENWOLF_DATA_DIR if set; else the directory of the
// executable when it is writable and a folder of its own, not an installation's; else
// $XDG_DATA_HOME/kostenwolf. Only looked up: the program creates it at start, the
// command line never does.
QString DatenVerzeichnis();
