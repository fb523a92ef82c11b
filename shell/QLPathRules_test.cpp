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
