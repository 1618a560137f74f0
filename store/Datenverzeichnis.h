// Where the data files live.
#pragma once

#include <QString>

// The data directory: $KOSTENWOLF_DATA_DIR if set; else the directory of the
// executable when it is writable; else $XDG_DATA_HOME/kostenwolf (created).
QString DatenVerzeichnis();
