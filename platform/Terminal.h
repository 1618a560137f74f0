// Lines read from the terminal and from standard input, for the command line.
#pragma once

#include <QString>
#include <optional>

// Asks on the controlling terminal with echo off (Enter still moves on a line) and
// reads one line; nothing without a terminal or on a read error. A signal meanwhile
// gives the terminal its echo back before the program ends.
std::optional<QString> LiesVerdeckt(const QString& frage);
// One line of standard input without its line end; nothing on a read error.
std::optional<QString> LiesZeileVonStdin();
