#include "app/QLDestinationRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace {

using R = TQLDestinationRefusal;

const std::vector<TQLProtectedFolder> kProtected = {
    {"C:\\WINDOWS", TQLFolderRole::SystemTree},
    {"C:\\WINDOWS\\SYSTEM32", TQLFolderRole::SystemTree},
    {"C:\\PROGRAM FILES", TQLFolderRole::ProgramFiles},
    {"C:\\PROGRAM FILES\\COMMON FILES", TQLFolderRole::ProgramFiles},
    {"C:\\USERS\\ANN", TQLFolderRole::Profile},
    {"C:\\USERS\\ANN\\DOCUMENTS", TQLFolderRole::ShellFolder},
    {"C:\\USERS", TQLFolderRole::ShellFolder},
    {"C:\\WINDOWS\\FONTS", TQLFolderRole::ShellFolder},
};

std::string Upper(std::string S) {
  std::transform(S.begin(), S.end(), S.begin(), [](unsigned char c) { return char(std::toupper(c)); });
  return S;
}

R Refusal(const std::string& Folder, size_t LongestName = 12) {
  return DestinationRuleRefusal(Folder, Upper(Folder), kProtected, LongestName);
}

TEST(DestinationRules, EachKindOfFolderMeetsItsOwnRefusal) {
  const struct {
    const char* Folder;
    R Expected;
  } cases[] = {
      {"C:\\Windows", R::SystemFolder},
      {"c:\\windows\\Prismora", R::SystemFolder},
      {"C:\\Windows\\System32\\Prismora\\", R::SystemFolder},
      {"C:\\Windows\\Fonts", R::SystemFolder},  // below Windows, whatever else it is
      {"C:\\WindowsApps\\Prismora", R::None},   // names compare whole
      {"C:\\", R::Root},
      {"\\\\server\\share", R::Root},
      {"\\\\server\\share\\", R::Root},
      {"C:\\Program Files", R::ProgramFiles},
      {"c:\\program files\\", R::ProgramFiles},
      {"C:\\Program Files\\Common Files", R::ProgramFiles},
      {"C:\\Program Files\\Prismora 1.0 SE", R::None},
      {"C:\\Users\\Ann", R::Profile},
      {"C:\\Users\\Ann\\Prismora", R::None},
      {"C:\\Users\\Ann\\Documents", R::ShellFolder},
      {"C:\\Users", R::ShellFolder},
      {"C:\\Users\\Ann\\Documents\\Prismora", R::None},
      {"\\\\server\\share\\Apps\\Prismora", R::None},
      {"D:\\Prismora", R::None},
      {"Prismora", R::NotFullPath},
      {"C:Prismora", R::NotFullPath},
      {"D:", R::NotFullPath},
      {"C:\\a\\..\\Prismora", R::NotFullPath},
      {"C:\\Pris?mora", R::NotFullPath},
      {"", R::NotFullPath},
  };
  for (const auto& c : cases) EXPECT_EQ(c.Expected, Refusal(c.Folder)) << c.Folder;
}

// The system's own spelling of the folder decides, not the one typed.
TEST(DestinationRules, TheComparableFormDecides) {
  EXPECT_EQ(R::ProgramFiles, DestinationRuleRefusal("C:\\PROGRA~1", "C:\\PROGRAM FILES", kProtected, 12));
  EXPECT_EQ(R::SystemFolder, DestinationRuleRefusal("C:\\WIND~1\\P", "C:\\WINDOWS\\P", kProtected, 12));
}

TEST(DestinationRules, TheLongestFileAndTheUninstallerMustFitInAPath) {
  // 259 characters in all: "\UNINST\UNINST.EXE" (18) rules when the names are short.
  EXPECT_EQ(241u, MaxDestinationLength(0));
  EXPECT_EQ(241u, MaxDestinationLength(17));
  EXPECT_EQ(228u, MaxDestinationLength(30));
  EXPECT_EQ(0u, MaxDestinationLength(258));
  EXPECT_EQ(0u, MaxDestinationLength(100000));
  const std::string base = "C:\\";
  const std::string fits = base + std::string(228 - base.size(), 'a');
  EXPECT_EQ(R::None, Refusal(fits, 30));
  EXPECT_EQ(R::None, Refusal(fits + "\\", 30));  // a trailing separator adds nothing
  EXPECT_EQ(R::TooLong, Refusal(fits + "b", 30));
  EXPECT_EQ(R::None, Refusal(fits + std::string(13, 'b'), 12));
  EXPECT_EQ(R::TooLong, Refusal(fits + std::string(14, 'b'), 12));
  EXPECT_EQ(R::TooLong, Refusal(base + std::string(260, 'a')));
  EXPECT_EQ(R::TooLong, Refusal("D:\\Prismora", 300));
}

TEST(DestinationRules, EveryRefusalHasItsOwnText) {
  std::set<std::string> texts;
  for (R refusal : {R::NotFullPath, R::OutsideCodePage, R::SystemFolder, R::Root, R::ProgramFiles, R::Profile,
                    R::ShellFolder, R::TooLong, R::FileInTheWay, R::Unreachable, R::ReadOnly}) {
    const std::string text = DestinationRefusalMessage(refusal, 30);
    EXPECT_EQ(0u, text.rfind("This folder cannot be used: it", 0)) << text;
    EXPECT_TRUE(texts.insert(text).second) << text;
  }
  EXPECT_EQ(
      "This folder cannot be used: its name has characters outside the system's code page.\rPlease choose "
      "another folder.",
      DestinationRefusalMessage(R::OutsideCodePage, 0));
  EXPECT_NE(std::string::npos, DestinationRefusalReason(R::TooLong, 30).find("at most 228 characters"));
  EXPECT_EQ("", DestinationRefusalReason(R::None, 30));
}

}  // namespace
