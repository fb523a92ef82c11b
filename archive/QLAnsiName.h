// Names as the archive stores them: 8-bit ANSI, Windows-1252, the code page
// the installer reads them in. Converts the build machine's UTF-8 file names;
// owns no state. A name with a character that code page lacks has no ANSI form.
#pragma once

#include <string>

// Ansi is the Windows-1252 form of the UTF-8 name Utf8. False, with Ansi
// empty, when Utf8 is not UTF-8 or holds a character outside Windows-1252.
bool Utf8ToAnsiName(const std::string& Utf8, std::string& Ansi);
