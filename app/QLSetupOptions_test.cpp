#include "app/QLSetupOptions.h"

#include <gtest/gtest.h>

TEST(SetupOptions, SwitchesAnywhereInAnyCase) {
  const TQLSetupOptions o = ParseSetupOptions({"/u", "/s", "/LOG=C:\\setup.log", "/?"}, "");
  EXPECT_TRUE(o.Silent);
  EXPECT_TRUE(o.Help);
  EXPECT_EQ("C:\\setup.log", o.LogFile);
  EXPECT_FALSE(o.HasFolder);
  EXPECT_FALSE(ParseSetupOptions({"-S", "/Silent", "S"}, "").Silent);
}

TEST(SetupOptions, FolderLastTakesTheRestWithSpaces) {
  const std::string line = "\"C:\\dl\\prismora-setup.exe\" /S /D=C:\\Program Files\\My  Prismora ";
  const TQLSetupOptions o = ParseSetupOptions({"/S", "/D=C:\\Program", "Files\\My", "Prismora"}, line);
  EXPECT_TRUE(o.HasFolder);
  EXPECT_EQ("C:\\Program Files\\My  Prismora", o.Folder);
  // Quoted, anywhere: its own argument.
  const TQLSetupOptions q =
      ParseSetupOptions({"/D=C:\\Other Place", "/S"}, "setup.exe \"/D=C:\\Other Place\" /S");
  EXPECT_EQ("C:\\Other Place", q.Folder);
  EXPECT_EQ("D:\\x", ParseSetupOptions({"/d=D:\\x"}, "setup.exe /d=\"D:\\x\"").Folder);
  // A "/D=" inside a quoted folder text is part of the folder.
  EXPECT_EQ("C:\\a /D=C:\\b", ParseSetupOptions({"/S", "/D=C:\\a /D=C:\\b"}, "setup.exe /S \"/D=C:\\a /D=C:\\b\"").Folder);
  EXPECT_EQ("C:\\b c", ParseSetupOptions({"/D=C:\\a", "/D=C:\\b", "c"}, "setup.exe \"/D=C:\\a\" /D=C:\\b c").Folder);
}

TEST(SetupOptions, OnlyAbsoluteSoundFoldersAreUsable) {
  for (const char* ok : {"C:\\Prismora", "c:\\a b\\c", "\\\\server\\share\\p", "D:\\"})
    EXPECT_TRUE(IsUsableInstallFolder(ok)) << ok;
  for (const char* bad : {"", "Prismora", ".\\p", "C:p", "C:", "\\p", "\\\\server", "\\\\server\\\\x", "C:\\a\\..\\b",
                          "C:\\a\\.\\b", "C:\\a\\\\b", "C:\\a|b", "C:\\a:b", "C:\\a?", "C:/a"})
    EXPECT_FALSE(IsUsableInstallFolder(bad)) << bad;
}
