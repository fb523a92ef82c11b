#include "app/QLSetupRules.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

TEST(RunMode, UninstallByFirstArgumentOrFileName) {
  const std::string setup = "D:\\prismora-setup.exe";
  EXPECT_EQ(TQLRunMode::Uninstall, DecideRunMode({"/uninstall"}, setup));
  EXPECT_EQ(TQLRunMode::Uninstall, DecideRunMode({"/UNINSTALL", "/u"}, setup));
  EXPECT_EQ(TQLRunMode::Install, DecideRunMode({"-UNINSTALL"}, setup));
  EXPECT_EQ(TQLRunMode::Install, DecideRunMode({"/u", "/UNINSTALL"}, setup));
  EXPECT_EQ(TQLRunMode::Install, DecideRunMode({}, setup));
  EXPECT_EQ(TQLRunMode::Uninstall, DecideRunMode({}, "C:\\P\\UNINST\\uninst.exe"));
  EXPECT_EQ(TQLRunMode::Uninstall, DecideRunMode({"/u"}, "C:\\P\\UNINST\\UnInst.EXE"));
  EXPECT_EQ(TQLRunMode::Install, DecideRunMode({}, "C:\\UNINST.EXE\\setup.exe"));
  EXPECT_EQ(TQLRunMode::Install, DecideRunMode({}, "C:\\P\\myuninst.exe"));
}

TEST(RunMode, UnattendedOption) {
  for (const char* on : {"/U", "-u", "/Unattended", "-UNATTENDED"}) EXPECT_TRUE(HasUnattendedOption({on})) << on;
  for (const char* off : {"u", "/unattend", "//u", "/u2", "-", "", "unattended"})
    EXPECT_FALSE(HasUnattendedOption({off})) << off;
  EXPECT_TRUE(HasUnattendedOption({"-x", "/u"}));
  EXPECT_TRUE(HasUnattendedOption({"", "/u"}));
  EXPECT_FALSE(HasUnattendedOption({}));
}

TEST(DirectXSource, ConfigurationRules) {
  EXPECT_TRUE(DecideDirectXSource(false, true, " yes ", "DirectX", false).Enabled);
  EXPECT_EQ("DirectX", DecideDirectXSource(false, true, " yes ", "DirectX", false).Path);
  EXPECT_FALSE(DecideDirectXSource(false, true, " yes ", "DirectX", true).Enabled);  // NT family
  for (const char* no : {"Y", "TRUE", "NO", "", "yes please"})
    EXPECT_FALSE(DecideDirectXSource(false, true, no, "", false).Enabled) << no;
  TQLDirectXSource root = DecideDirectXSource(true, true, "NO", "elsewhere", false);
  EXPECT_TRUE(root.Enabled);
  EXPECT_EQ("\\", root.Path);
  EXPECT_FALSE(DecideDirectXSource(false, false, "YES", "x", false).Enabled);
  EXPECT_EQ("", DecideDirectXSource(false, false, "YES", "x", false).Path);
}

TEST(DirectXSource, FilesBesideTheProgram) {
  EXPECT_EQ("D:\\SETUP.INI", ConfigFilePath("D:\\SETUP.EXE"));
  EXPECT_EQ("D:\\dir.v2\\setup.INI", ConfigFilePath("D:\\dir.v2\\setup"));
  EXPECT_EQ("D:\\a\\setup.DAT", WithExtension("D:\\a\\setup.exe", ".DAT"));
}

TEST(Caption, BuildNumberAndPlatform) {
  EXPECT_EQ("Prismora SE Setup (Build 1.1.11.516.N)", SetupCaption("1.1.11.516", true));
  EXPECT_EQ("Prismora SE Setup (Build 1.1.11.516.9)", SetupCaption("1.1.11.516", false));
  EXPECT_EQ("Prismora SE Setup (Build .N)", SetupCaption("", true));
}

TEST(FolderPage, SizeText) {
  EXPECT_EQ("  3.58MB /     0.00MB", InstallSizeText(3750352, 0));
  EXPECT_EQ("  1.00MB / 10240.00MB", InstallSizeText(1 << 20, int64_t(10) << 30));
  EXPECT_EQ("  0.00MB /    -0.00MB", InstallSizeText(0, -1));
}

TEST(FolderPage, DiskQuestions) {
  EXPECT_EQ(TQLDiskQuestion::NotEnough, DiskQuestion(999, 1000));
  EXPECT_EQ(TQLDiskQuestion::NotEnough, DiskQuestion(-1, 1000));
  EXPECT_EQ(TQLDiskQuestion::NotMuch, DiskQuestion(1000, 1000));
  EXPECT_EQ(TQLDiskQuestion::NotMuch, DiskQuestion(1299, 1000));
  EXPECT_EQ(TQLDiskQuestion::None, DiskQuestion(1300, 1000));
  EXPECT_EQ(TQLDiskQuestion::None, DiskQuestion(int64_t(1) << 40, 3750352));
}

TEST(FolderPage, DiskQuestionsOverTheWholeRange) {
  // Free space a share or a faked answer may report: exact, without overflow.
  const int64_t max = INT64_MAX, unit = int64_t(1) << 59;
  EXPECT_EQ(TQLDiskQuestion::None, DiskQuestion(int64_t(1) << 60, 3750352));
  EXPECT_EQ(TQLDiskQuestion::None, DiskQuestion(max, 3750352));
  EXPECT_EQ(TQLDiskQuestion::None, DiskQuestion(13 * unit, 10 * unit));
  EXPECT_EQ(TQLDiskQuestion::NotMuch, DiskQuestion(13 * unit, 10 * unit + 1));
  EXPECT_EQ(TQLDiskQuestion::NotMuch, DiskQuestion(max, max - 1));
  EXPECT_EQ(TQLDiskQuestion::NotEnough, DiskQuestion(INT64_MIN, max));
  EXPECT_EQ(TQLDiskQuestion::None, DiskQuestion(max, INT64_MIN));
}

TEST(FolderPage, RootOfTheFolderText) {
  EXPECT_EQ("C:\\", FolderRoot("c:\\Program Files\\Prismora 1.0 SE"));
  EXPECT_EQ("D:\\", FolderRoot("d:"));
  EXPECT_EQ("\\\\SERVER\\SHARE\\", FolderRoot("\\\\server\\share\\folder"));
  EXPECT_EQ("\\\\SERVER\\SHARE\\", FolderRoot("\\\\server\\share"));
  for (const char* none : {"", "folder", "\\folder", "\\\\server", "\\\\server\\", "\\\\\\x", "1:\\x"})
    EXPECT_EQ("", FolderRoot(none)) << none;
}

// The root's extent does not depend on the names' characters, whatever their
// encoding: only separators and the colon count.
TEST(FolderPage, RootLengthOfAnyName) {
  EXPECT_EQ(2u, FolderRootLength("c:\\Dossier \xE9t\xE9"));
  EXPECT_EQ(16u, FolderRootLength("\\\\server\\Partag\xE9\\x"));
  EXPECT_EQ(14u, FolderRootLength("\\\\serv\xC3\xA9r\\\xCE\xB1\xCE\xB2\\Prismora"));
  EXPECT_EQ(14u, FolderRootLength("\\\\server\\share"));
  EXPECT_EQ(0u, FolderRootLength("\\\\server\\"));
  EXPECT_EQ(0u, FolderRootLength("\xE9:\\x"));
}

TEST(RunningBrowser, TitlesAndClasses) {
  EXPECT_TRUE(IsBrowserWindow("Netscape's Hidden Frame", "Any"));
  EXPECT_TRUE(IsBrowserWindow("NETSCAPE'S HIDDEN FRAME", ""));
  EXPECT_TRUE(IsBrowserWindow("Home - Internet Explorer", "IEFrame"));
  EXPECT_TRUE(IsBrowserWindow("Mozilla", "mozillauiwindowclass"));
  EXPECT_TRUE(IsBrowserWindow("New Tab", "Chrome_WidgetWin_0"));
  EXPECT_FALSE(IsBrowserWindow("", "IEFrame"));  // windows without a title are passed over
  EXPECT_FALSE(IsBrowserWindow("Notepad", "Chrome_WidgetWin_1"));
}

}  // namespace
