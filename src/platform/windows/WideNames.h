#pragma once

#include <QString>

#include <string>

// What every Windows implementation here shares: names for the wide (W)
// functions, and the system's error codes as the errno values the interface
// reports.
namespace platform::win {

// "\" between folders; the W functions take any name the file system holds.
std::wstring wide(const QString& path);
QString fromWide(const wchar_t* text);

// A drive letter with its "\" or a UNC share; anything else names nothing
// the user chose.
bool isAbsolute(const QString& path);

// GetLastError() as the errno value the callers already know.
int errnoFrom(unsigned long code);
int lastErrno();

} // namespace platform::win
