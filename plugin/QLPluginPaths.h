// The text rules of browser discovery: the plug-in folder derived from a
// browser's executable path or open command, and the Internet Explorer
// version read from its "Version" text. Pure functions; the file system and
// the code page come in as functions, so the rules are the same everywhere.
#pragma once

#include <functional>
#include <string>

using TQLDirectoryExists = std::function<bool(const std::string& Path)>;
using TQLIsLeadByte = std::function<bool(unsigned char Byte)>;

// The PLUGINS subfolder of the deepest existing folder on the executable's
// path; empty when that folder has none, or nothing on the path exists.
// Text is a bare path or a command line starting with a quoted path.
std::string PluginFolderOfBrowserText(const std::string& Text, const TQLDirectoryExists& DirectoryExists,
                                      const TQLIsLeadByte& IsLeadByte);

// The version as a number from its first two dot-separated parts, with "."
// as the decimal separator whatever the locale; 0 when it does not parse.
double ParseInternetExplorerVersion(const std::string& Text);
