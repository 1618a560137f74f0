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

// For main: prints the text when there is one and gives the exit code (0) to end with;
// nothing otherwise.
std::optional<int> BeantworteHilfeOderVersion(int argc, char** argv);

// The message for the first argument that looks like an option of ours ("--...") but is
// none; nothing when there is none. Plain arguments are left for the hand-over.
std::optional<QString> UnbekannteOption(int argc, const char* const* argv);

// For main: prints that message on stderr when there is one and gives the exit code (2)
// to end with; nothing otherwise.
std::optional<int> WeiseUnbekannteOptionAb(int argc, char** argv);
