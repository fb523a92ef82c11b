#include "app/QLDestinationRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace {

using R = TQLDestinationRefusal;

const std::vector<TQLProtectedFolder> kProtected = {
    {"C:\\WINDOWS", TQLFolderRole::SystemTree},          {"C:\\WINDOWS\\FONTS", TQLFolderRole::ShellFolder},
    {"C:\\PROGRAM FILES", TQLFolderRole::ProgramFiles},  {"C:\\USERS\\ANN", TQLFolderRole::Profile},
    {"C:\\USERS\\ANN\\DOCUMENTS", TQLFolderRole::ShellFolder},
};

R Refusal(std::string Folder, size_t LongestName = 12) {
  std::string upper = Folder;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return char(std::toupper(c)); });
  return DestinationRuleRefusal(Folder, upper, kProtected, LongestName);
}

TEST(DestinationRules, EachKindOfFolderMeetsItsOwnRefusal) {
  const struct {
    const char* Folder;
    R Expected;
  } cases[] = {
      {"c:\\windows", R::SystemFolder},
      {"C:\\Windows\\System32\\Prismora\\", R::SystemFolder},
      {"C:\\Windows\\Fonts", R::SystemFolder},  // below Windows, whatever else it is
      {"C:\\WindowsApps\\Prismora", R::None},   // names compare whole
      {"C:\\", R::Root},
      {"\\\\server\\share\\", R::Root},
      {"c:\\program files\\", R::ProgramFiles},
      {"C:\\Program Files\\Prismora 1.0 SE", R::None},
      {"C:\\Users\\Ann", R::Profile},
      {"C:\\Users\\Ann\\Documents", R::ShellFolder},
      {"C:\\Users\\Ann\\Documents\\Prismora", R::None},
      {"\\\\server\\share\\Apps", R::None},
      {"Prismora", R::NotFullPath},
      {"C:Prismora", R::NotFullPath},
      {"C:\\a\\..\\Prismora", R::NotFullPath},
  };
  for (const auto& c : cases) EXPECT_EQ(c.Expected, Refusal(c.Folder)) << c.Folder;
  // The system's own spelling decides, not the one typed.
  EXPECT_EQ(R::ProgramFiles, DestinationRuleRefusal("C:\\PROGRA~1", "C:\\PROGRAM FILES", kProtected, 12));
}

TEST(DestinationRules, TheLongestFileAndTheUninstallerMustFitInAPath) {
  // 259 characters in all; "\UNINST\UNINST.EXE" (18) rules while names are short.
  EXPECT_EQ(241u, MaxDestinationLength(17));
  EXPECT_EQ(228u, MaxDestinationLength(30));
  EXPECT_EQ(0u, MaxDestinationLength(100000));
  const std::string fits = "C:\\" + std::string(225, 'a');
  EXPECT_EQ(R::None, Refusal(fits + "\\", 30));  // a trailing separator adds nothing
  EXPECT_EQ(R::TooLong, Refusal(fits + "b", 30));
  EXPECT_EQ(R::None, Refusal(fits + std::string(13, 'b'), 12));
  EXPECT_EQ(R::TooLong, Refusal(fits + std::string(14, 'b'), 12));
}

TEST(DestinationRules, EveryRefusalHasItsOwnText) {
  std::set<std::string> texts;
  for (R refusal : {R::NotFullPath, R::OutsideCodePage, R::SystemFolder, R::Root, R::ProgramFiles, R::Profile,
                    R::ShellFolder, R::TooLong, R::FileInTheWay, R::Unreachable, R::ReadOnly})
    EXPECT_TRUE(texts.insert(DestinationRefusalMessage(refusal, 30)).second) << int(refusal);
  EXPECT_EQ("This folder cannot be used: its name has characters outside the system's code page.\rPlease choose "
            "another folder.",
            DestinationRefusalMessage(R::OutsideCodePage, 0));
  EXPECT_NE(std::string::npos, DestinationRefusalReason(R::TooLong, 30).find("at most 228 characters"));
}

}  // namespace
