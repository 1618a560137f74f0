// Windows-1252, the code page of every text in the two data files.
#pragma once

#include <QString>
#include <string>

// Unicode to Windows-1252; a character the code page lacks becomes '?'.
std::string NachWindows1252(const QString& text);
QString AusWindows1252(const char* bytes, size_t anzahl);
inline QString AusWindows1252(const std::string& bytes)
{
    return AusWindows1252(bytes.data(), bytes.size());
}
