// How GoogleTest prints a QString in a failure: as text, not as the bytes of the
// object. Every GoogleTest program includes this header first (see CMakeLists.txt), so
// all of its files print a QString the same way.
#pragma once

#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toUtf8().toStdString() << '"';
}
