// Messages for the person at the terminal go to standard error through this one call,
// so that every path writes them alike: in the terminal's encoding, one message ending
// in a newline, out at once even when the process ends right after.
#pragma once

#include <QString>

void SchreibeFehlerausgabe(const QString& text);
