// The command-line options answered before anything else, so that they work while an
// instance is running: --help and --version print their text and end the program, and
// an option the program does not know ends it before any window or hand-over.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The arguments after the program name, in the terminal's encoding.
QStringList Argumente(int argc, char** argv);

// The text to print for these arguments, if one of them asks for help or the version.
std::optional<QString> HilfeOderVersion(int argc, const char* const* argv);

// Prints the text and ends with exit code 0 when there is one; otherwise returns.
void BeantworteHilfeOderVersion(int argc, char** argv);

// The message for the first argument that looks like an option of ours ("--...") but is
// none; nothing when there is none. Plain arguments are left for the hand-over.
std::optional<QString> UnbekannteOption(int argc, const char* const* argv);

// Prints that message on stderr and ends with exit code 2 when there is one.
void WeiseUnbekannteOptionAb(int argc, char** argv);
