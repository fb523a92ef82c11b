#include "shell/QLPathRules.h"

#include <gtest/gtest.h>

namespace {

TEST(PathRules, RootsOfDrivesAndShares) {
  for (const char* root : {"C:", "C:\\", "d:\\\\", "\\\\SERVER\\SHARE", "\\\\server\\share\\", "\\\\SERVER", ""})
    EXPECT_TRUE(IsDriveOrShareRoot(root)) << root;
  for (const char* folder : {"C:\\Program Files", "C:\\A\\", "\\\\SERVER\\SHARE\\Apps", "\\\\S\\Sh\\A\\B"})
    EXPECT_FALSE(IsDriveOrShareRoot(folder)) << folder;
}

TEST(PathRules, SameOrAboveComparesWholeNamesWithoutCase) {
  EXPECT_TRUE(IsSameOrAbove("C:\\Users\\Ann", "c:\\users\\ann\\"));
  EXPECT_TRUE(IsSameOrAbove("C:\\Users", "C:\\Users\\Ann\\Documents"));
  EXPECT_TRUE(IsSameOrAbove("C:\\", "C:\\Users"));
  EXPECT_TRUE(IsSameOrAbove("\\\\S\\Share\\", "\\\\s\\SHARE\\Apps"));
  EXPECT_FALSE(IsSameOrAbove("C:\\Users\\Ann", "C:\\Users\\Anna"));  // a longer name is no folder below
  EXPECT_FALSE(IsSameOrAbove("C:\\Users\\Ann\\Documents", "C:\\Users\\Ann"));
  EXPECT_FALSE(IsSameOrAbove("", "C:\\Users"));
  EXPECT_FALSE(IsSameOrAbove("D:\\Users", "C:\\Users"));
}

TEST(PathRules, ParentsEndAtTheRoot) {
  EXPECT_EQ("C:\\A", ParentFolder("C:\\A\\B\\"));
  EXPECT_EQ("C:\\", ParentFolder("C:\\A"));
  EXPECT_EQ("", ParentFolder("C:\\"));
  EXPECT_EQ("\\\\S\\Share", ParentFolder("\\\\S\\Share\\Apps"));
  EXPECT_EQ("", ParentFolder("\\\\S\\Share"));
}

TEST(PathRules, FoldersFromAFileFolderUpToTheInstallation) {
  EXPECT_EQ((std::vector<std::string>{"C:\\P\\Q\\data\\deep", "C:\\P\\Q\\data", "C:\\P\\Q"}),
            FoldersUpTo("C:\\P\\Q\\data\\deep\\", "c:\\p\\q"));
  EXPECT_EQ(std::vector<std::string>{"C:\\P\\Q"}, FoldersUpTo("C:\\P\\Q", "C:\\P\\Q\\"));
  EXPECT_TRUE(FoldersUpTo("C:\\P", "C:\\P\\Q").empty());       // above the installation
  EXPECT_TRUE(FoldersUpTo("C:\\Other", "C:\\P\\Q").empty());   // beside it
  EXPECT_TRUE(FoldersUpTo("C:\\P\\Q2\\x", "C:\\P\\Q").empty());
}

}  // namespace

namespace {

TEST(PathRules, NormalFormResolvesDotsAsWindowsDoes) {
  EXPECT_EQ("C:\\Users\\Ann\\Documents\\important.dll",
            NormalisedPath("C:\\Program Files\\Prismora 1.0 SE\\..\\..\\Users\\Ann\\Documents\\important.dll"));
  EXPECT_EQ("C:\\App\\b.dll", NormalisedPath("C:/App/./sub/../b.dll"));
  EXPECT_EQ("C:\\App\\b.dll", NormalisedPath("C:\\App\\\\b.dll. . "));  // trailing dots and blanks go
  EXPECT_EQ("C:\\App\\b", NormalisedPath("C:\\App.\\b\\"));
  EXPECT_EQ("C:\\", NormalisedPath("C:\\App\\.."));
  EXPECT_EQ("\\\\S\\Share\\App", NormalisedPath("\\\\S\\Share\\Other\\..\\App"));
  for (const char* refused : {"C:\\..\\Windows", "\\\\S\\Share\\..\\Other\\x", "App\\x.dll", "C:x.dll", "\\x.dll",
                              "\\\\?\\C:\\App\\x.dll", "\\\\.\\C:\\App\\x.dll", "C:\\App\\x.dll:stream",
                              "C:\\App\\*.dll", "C:\\App\\...\\x.dll", "C:\\App\\ \\x.dll", "\\\\S", ""})
    EXPECT_EQ("", NormalisedPath(refused)) << refused;
}

TEST(PathRules, WithinAFolderAfterNormalisingBothWithoutCase) {
  const std::string app = "C:\\Program Files\\Prismora 1.0 SE";
  EXPECT_TRUE(IsWithinFolder(app, app + "\\PQENGINE.EXE"));
  EXPECT_TRUE(IsWithinFolder(app, "c:\\PROGRAM FILES\\prismora 1.0 se\\sub\\..\\README.TXT"));
  EXPECT_TRUE(IsWithinFolder(app + "\\", app + "\\UNINST."));
  EXPECT_TRUE(IsWithinFolder(app, app));
  EXPECT_FALSE(IsWithinFolder(app, app + "\\..\\..\\Users\\Ann\\Documents\\important.dll"));
  EXPECT_FALSE(IsWithinFolder(app, app + "\\x\\..\\..\\Other\\a.dll"));
  EXPECT_FALSE(IsWithinFolder(app, "C:\\Program Files\\Prismora 1.0 SE2\\a.dll"));  // a longer name is no folder below
  EXPECT_FALSE(IsWithinFolder(app, "C:\\Program Files\\Prismora 1.0 SE.\\..\\a.dll"));
  EXPECT_FALSE(IsWithinFolder(app, "C:\\PROGRA~1\\PRISMO~1\\a.dll"));  // short names need the file system
  EXPECT_FALSE(IsWithinFolder(app, app + "\\a.dll:hidden"));
  EXPECT_FALSE(IsWithinFolder("", app + "\\a.dll"));
  EXPECT_FALSE(IsWithinFolder("Prismora 1.0 SE", "Prismora 1.0 SE\\a.dll"));  // no relative folder is an installation
}

}  // namespace
