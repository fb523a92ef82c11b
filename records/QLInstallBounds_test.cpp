#include "records/QLInstallBounds.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "records/QLDeferredFileOps.h"
#include "shell/QLFileUtils.h"
#include "tests/support/TempFolder.h"

namespace {

// Recorded paths in every spelling: short names, letter case, "..", dots
// at the end; the path to remove by is the long, normal one.
TEST(InstallBounds, FilesInsideInAnySpellingAndNothingElse) {
  TTempFolder temp;
  const std::string app = temp / "Prismora Install", file = app + "\\A Long Folder\\Engine File.dll";
  WriteTextFile(file, "x");
  WriteTextFile(temp / "Outside File.dll", "y");
  TQLInstallBounds bounds({ShortPathOf(app)});
  EXPECT_EQ(file, bounds.FileInside(file));
  EXPECT_EQ(file, bounds.FileInside(ShortPathOf(app + "\\A Long Folder") + "\\Engine File.dll"));
  EXPECT_EQ(0, lstrcmpiA(file.c_str(), bounds.FileInside(app + "\\a long folder\\ENGINE FILE.DLL").c_str()));
  EXPECT_EQ(file, bounds.FileInside(app + "\\Other\\..\\A Long Folder.\\Engine File.dll."));
  EXPECT_EQ("", bounds.FileInside(app + "\\..\\Outside File.dll"));
  EXPECT_EQ("", bounds.FileInside(ShortPathOf(temp / "Outside File.dll")));
  EXPECT_EQ("", bounds.FileInside(app));
  EXPECT_EQ("", bounds.FileInside("A Long Folder\\Engine File.dll"));
  EXPECT_EQ(app, bounds.FolderInside(app + "\\"));
  EXPECT_EQ(app + "\\A Long Folder", bounds.FolderInside(ShortPathOf(app + "\\A Long Folder")));
  EXPECT_EQ("", bounds.FolderInside(temp.Path()));
  EXPECT_EQ("", TQLInstallBounds({"C:\\"}).FolderInside("C:\\Windows"));  // a drive is no installation
}

}  // namespace
