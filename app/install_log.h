// The install log of silent runs: dated entries appended to a file in the current folder.
#pragma once

#include <cstddef>
#include <string>

inline constexpr wchar_t kInstallLogName[] = L"Lumagrove_Install.log";

// Appends one entry; a log that cannot be opened loses the entry and nothing else happens.
// writtenTo, when given, receives the log's resolved path; false when the entry was lost.
bool WriteInstallLog(const wchar_t* message, std::wstring* writtenTo = nullptr);

// The bytes of one entry: "date - time: message", the separator, one byte per character
// up to U+00FF and "?" above it, every line feed as CR LF.
std::string FormatInstallLogEntry(const wchar_t* date, const wchar_t* time,
                                  const wchar_t* message);
