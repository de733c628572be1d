#pragma once
// The program keeps its texts as std::string in code page 936; Windows is
// spoken to in UTF-16. These two convert at that boundary with the code page
// named, never through the system's own: on a Western Windows (code page 1252)
// the A functions would turn every Chinese text into Latin garbage.
#include <windows.h>

#include <string>

constexpr UINT ProgramCodePage = 936;

// Bytes in codePage to UTF-16. A byte sequence that is no character there
// becomes the code page's default character.
std::wstring ToWide(const std::string& text, UINT codePage = ProgramCodePage);

// UTF-16 to bytes in codePage. A character the code page lacks becomes "?":
// fine for what the user reads, never for a file name (keep those in UTF-16).
std::string ToNarrow(const std::wstring& text, UINT codePage = ProgramCodePage);
