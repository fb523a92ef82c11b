#include "plugin/QLPluginPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <locale>
#include <set>

namespace {

// A file system of the folders in the set, compared without letter case.
struct TFolders {
  TFolders() = default;
  TFolders(std::initializer_list<std::string> Folders) : Existing(Folders) {}
  std::set<std::string> Existing;
  std::vector<std::string> Asked;
  TQLDirectoryExists Exists() {
    return [this](const std::string& p) {
      Asked.push_back(p);
      std::string lower = p;
      std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
      return Existing.count(lower) > 0;
    };
  }
};

bool NoLeadBytes(unsigned char) { return false; }
// Shift-JIS: lead bytes 0x81-0x9F and 0xE0-0xFC.
bool ShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

TEST(PluginFolders, QuotedOpenCommandWithArguments) {
  TFolders fs{"c:\\program files\\netscape\\communicator\\program",
               "c:\\program files\\netscape\\communicator\\program\\plugins"};
  EXPECT_EQ("C:\\Program Files\\Netscape\\Communicator\\Program\\PLUGINS",
            PluginFolderOfBrowserText(
                "\"C:\\Program Files\\Netscape\\Communicator\\Program\\netscape.exe\" -h \"%1\"", fs.Exists(),
                NoLeadBytes));
}

TEST(PluginFolders, ExistingFolderWithoutPluginsStopsTheScan) {
  TFolders fs{"c:\\program files\\mozilla firefox", "c:\\program files", "c:\\program files\\plugins"};
  EXPECT_EQ("", PluginFolderOfBrowserText("C:\\Program Files\\Mozilla Firefox\\firefox.exe", fs.Exists(),
                                          NoLeadBytes));
  EXPECT_EQ((std::vector<std::string>{"C:\\Program Files\\Mozilla Firefox",
                                      "C:\\Program Files\\Mozilla Firefox\\PLUGINS"}),
            fs.Asked);
}

TEST(PluginFolders, DeletedExecutableFolderFallsBackToTheParent) {
  TFolders fs{"c:\\apps", "c:\\apps\\plugins"};
  EXPECT_EQ("C:\\Apps\\PLUGINS", PluginFolderOfBrowserText("C:\\Apps\\Gone\\browser.exe", fs.Exists(), NoLeadBytes));
}

TEST(PluginFolders, ShortAndRootPaths) {
  TFolders fs{"c:", "c:\\plugins"};
  EXPECT_EQ("C:\\PLUGINS", PluginFolderOfBrowserText("C:\\x.exe", fs.Exists(), NoLeadBytes));
  EXPECT_EQ((std::vector<std::string>{"C:", "C:\\PLUGINS"}), fs.Asked);
  TFolders none;
  EXPECT_EQ("", PluginFolderOfBrowserText("x", none.Exists(), NoLeadBytes));
  EXPECT_EQ("", PluginFolderOfBrowserText("\\", none.Exists(), NoLeadBytes));  // position 1 is never examined
  EXPECT_EQ("", PluginFolderOfBrowserText("", none.Exists(), NoLeadBytes));
  EXPECT_EQ("", PluginFolderOfBrowserText("\"", none.Exists(), NoLeadBytes));
  EXPECT_TRUE(none.Asked.empty());
}

TEST(PluginFolders, TrailByteBackslashIsNoDelimiter) {
  // "C:\Prog<0x83 0x5C>\x.exe": the 0x5C after the lead byte 0x83 is part
  // of a character, not a delimiter.
  const std::string path = std::string("C:\\Prog\x83\x5C") + "\\x.exe";
  const std::string folder = std::string("c:\\prog\x83\x5C");
  TFolders fs{folder, folder + "\\plugins"};
  EXPECT_EQ(std::string("C:\\Prog\x83\x5C") + "\\PLUGINS", PluginFolderOfBrowserText(path, fs.Exists(), ShiftJisLead));
  // Without the code page the trail byte would cut the path one byte early.
  TFolders cut{"c:\\prog\x83", "c:\\prog\x83\\plugins"};
  EXPECT_EQ("", PluginFolderOfBrowserText(path, cut.Exists(), ShiftJisLead));
  EXPECT_EQ(std::string("C:\\Prog\x83") + "\\PLUGINS",
            PluginFolderOfBrowserText(std::string("C:\\Prog\x83\x5C") + "x.exe", cut.Exists(), NoLeadBytes));
}

TEST(ExplorerVersion, FirstTwoPartsAsANumber) {
  EXPECT_DOUBLE_EQ(6.0, ParseInternetExplorerVersion("6.0.2900.2180"));
  EXPECT_DOUBLE_EQ(4.72, ParseInternetExplorerVersion("4.72.3110.8"));
  EXPECT_DOUBLE_EQ(5.5, ParseInternetExplorerVersion("5.50.4807.2300"));
  EXPECT_DOUBLE_EQ(11.0, ParseInternetExplorerVersion("11"));
  EXPECT_DOUBLE_EQ(0, ParseInternetExplorerVersion(""));
  EXPECT_DOUBLE_EQ(0, ParseInternetExplorerVersion("abc"));
  EXPECT_DOUBLE_EQ(0, ParseInternetExplorerVersion("6,0"));
  EXPECT_DOUBLE_EQ(0, ParseInternetExplorerVersion("6.0x.1"));
}

TEST(ExplorerVersion, DecimalPointWhateverTheLocale) {
  // A locale whose decimal separator is ",", for the C library and, where
  // the standard library knows it, for C++ streams too.
  const char* chosen = nullptr;
  for (const char* name : {"de_DE.UTF-8", "German_Germany.1252"})
    if (std::setlocale(LC_ALL, name)) {
      chosen = name;
      break;
    }
  ASSERT_NE(nullptr, chosen) << "no locale with a decimal comma";
  ASSERT_EQ(',', *std::localeconv()->decimal_point);
  std::locale previous = std::locale::global(std::locale::classic());
  try {
    std::locale::global(std::locale(chosen));
  } catch (const std::runtime_error&) {
    // this C++ library knows only the classic locale
  }
  EXPECT_DOUBLE_EQ(6.0, ParseInternetExplorerVersion("6.0.2900.2180"));
  EXPECT_DOUBLE_EQ(4.72, ParseInternetExplorerVersion("4.72"));
  std::locale::global(previous);
  std::setlocale(LC_ALL, "C");
}

}  // namespace
