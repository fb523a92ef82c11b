#include "ui/FoldrDlg.h"

#include <gtest/gtest.h>

#include "shell/QLFileUtils.h"
#include "tests/support/WindowDriver.h"

namespace {

constexpr int TreeId = 14145;

class FolderDialog : public ::testing::Test {
protected:
  void SetUp() override {
    OleInitialize(nullptr);
    ForceDirectories(Chosen);
  }
  void TearDown() override {
    RemoveDirectoryA(Chosen.c_str());
    RemoveDirectoryA(Base.c_str());
    OleUninitialize();
  }
  const std::string Base = "C:\\qlfolder", Chosen = "C:\\qlfolder\\Prismora 1.0 SE";
};

bool ShowsPath(HWND Dialog, const std::string& Path) {
  for (const TQLChildInfo& c : ChildWindows(Dialog))
    if (c.Text == Path) return true;
  return false;
}

// Waits until the selection stands on Path (the status line shows it).
void WaitForSelection(HWND Dialog, const std::string& Path) { WaitFor([&] { return ShowsPath(Dialog, Path); }, 10000); }

// Selects Path in the open dialog as a person would and presses OK. The
// shell fills its tree after the dialog shows, so the selection is asked
// for again until it holds.
void ChooseAndConfirm(HWND Dialog, const std::string& Path) {
  WaitFor([&] {
    SendMessageA(Dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(Path.c_str()));
    return WaitFor([&] { return ShowsPath(Dialog, Path); }, 300);
  }, 5000);
  WaitFor([&] { return IsWindowEnabled(GetDlgItem(Dialog, IDOK)) != FALSE; }, 3000);
  PostMessageA(GetDlgItem(Dialog, IDOK), BM_CLICK, 0, 0);
}

TEST(FolderDialogOptions, Normalisation) {
  bool network = false;
  const auto centring = Opt(bfScreenCenter) | Opt(bfParentCenter);
  // The newly added centring option wins; with neither before, both stay.
  EXPECT_EQ(Opt(bfParentCenter), NormalizeFolderOptions(Opt(bfScreenCenter), centring, network));
  EXPECT_EQ(Opt(bfScreenCenter), NormalizeFolderOptions(Opt(bfParentCenter), centring, network));
  EXPECT_EQ(centring, NormalizeFolderOptions(0, centring, network));
  // Browsing for computers: network root, no file-system or printer options.
  auto o = NormalizeFolderOptions(DefaultFolderDialogOptions,
                                  DefaultFolderDialogOptions | Opt(bfBrowseForComputer) | Opt(bfFileSysAncestors) |
                                      Opt(bfBrowseForPrinter),
                                  network);
  EXPECT_TRUE(network);
  EXPECT_FALSE(o & (Opt(bfFileSysDirsOnly) | Opt(bfFileSysAncestors) | Opt(bfBrowseForPrinter)));
  EXPECT_TRUE(o & Opt(bfBrowseForComputer));
  // Printers: no file-system, domain or computer options.
  o = NormalizeFolderOptions(Opt(bfBrowseForComputer), Opt(bfBrowseForComputer) | Opt(bfBrowseForPrinter) |
                                                           Opt(bfDontGoBelowDomain) | Opt(bfFileSysDirsOnly),
                             network);
  EXPECT_FALSE(network);
  EXPECT_EQ(Opt(bfBrowseForPrinter), o);
  // The path in the status area needs the status text, both ways.
  EXPECT_EQ(Opt(bfShowPathInStatusArea) | Opt(bfStatusText), NormalizeFolderOptions(0, Opt(bfShowPathInStatusArea), network));
  EXPECT_EQ(0, NormalizeFolderOptions(Opt(bfShowPathInStatusArea) | Opt(bfStatusText), Opt(bfShowPathInStatusArea), network));
  EXPECT_EQ(Opt(bfShowPathInStatusArea), NormalizeFolderOptions(Opt(bfShowPathInStatusArea), Opt(bfShowPathInStatusArea), network));

  TFolderDialog d;
  EXPECT_EQ(DefaultFolderDialogOptions, d.Options());
  EXPECT_EQ(sfoDesktopExpanded, d.RootFolder());
  EXPECT_EQ("Browse for Folder", d.Title());
  d.SetOptions(d.Options() | Opt(bfBrowseForComputer));
  EXPECT_EQ(sfoNetwork, d.RootFolder());
  EXPECT_FALSE(d.Options() & Opt(bfFileSysDirsOnly));
  d.SetOptions(d.Options() | Opt(bfScreenCenter));
  EXPECT_EQ(Opt(bfScreenCenter), d.Options() & centring);
}

TEST(FolderDialogOptions, FlagsAndRoots) {
  EXPECT_EQ(UINT(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT), FolderBrowseFlags(DefaultFolderDialogOptions, 4));
  EXPECT_EQ(UINT(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_NEWDIALOGSTYLE), FolderBrowseFlags(DefaultFolderDialogOptions, 5));
  EXPECT_EQ(UINT(0x1000 | 0x2000 | 0x4000 | 0x2 | 0x8), FolderBrowseFlags(0x7A, 0));
  EXPECT_EQ(-1, ShellFolderCSIDL(sfoDesktopExpanded));
  EXPECT_EQ(0, ShellFolderCSIDL(sfoDesktop));
  EXPECT_EQ(11, ShellFolderCSIDL(sfoStartMenu));
  EXPECT_EQ(16, ShellFolderCSIDL(sfoDesktopDirectory));
  EXPECT_EQ(17, ShellFolderCSIDL(sfoMyComputer));
  EXPECT_EQ(27, ShellFolderCSIDL(sfoPrintHood));
}

TEST_F(FolderDialog, ChoosesAFolderAndReselectsIt) {
  TFolderDialog d;
  d.SetText("Please specify the Folder of Prismora.");
  int shows = 0, closes = 0;
  std::vector<std::string> changes;
  d.OnShow = [&] { ++shows; };
  d.OnClose = [&] { ++closes; };
  d.OnChange = [&] { changes.push_back(d.Directory()); };
  std::string title, line;
  bool result = false;
  EXPECT_TRUE(DriveModal("#32770", [&] { result = d.Execute(); }, [&](HWND w) {
    char caption[256] = {};
    GetWindowTextA(w, caption, sizeof(caption));
    title = caption;
    for (const TQLChildInfo& c : ChildWindows(w))
      if (c.Text == "Please specify the Folder of Prismora.") line = c.Text;
    ChooseAndConfirm(w, Chosen);
  }));
  EXPECT_TRUE(result);
  EXPECT_EQ("Browse for Folder", title);
  EXPECT_EQ("Please specify the Folder of Prismora.", line);
  EXPECT_EQ(Chosen, d.Directory());
  EXPECT_EQ(1, shows);
  EXPECT_EQ(1, closes);
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(Chosen, changes.back());
  EXPECT_EQ(nullptr, d.Handle());

  // The second run starts on the chosen item: OK alone gives it again.
  changes.clear();
  EXPECT_TRUE(DriveModal("#32770", [&] { result = d.Execute(); }, [&](HWND w) {
    WaitForSelection(w, Chosen);
    WaitFor([&] { return IsWindowEnabled(GetDlgItem(w, IDOK)) != FALSE; }, 3000);
    PostMessageA(GetDlgItem(w, IDOK), BM_CLICK, 0, 0);
  }));
  EXPECT_TRUE(result);
  EXPECT_EQ(Chosen, d.Directory());
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(Chosen, changes.front());
}

TEST_F(FolderDialog, OkOnlyForFoldersAndDriveRootWithDot) {
  TFolderDialog d;
  d.SetDirectory("C:\\.");
  bool result = false, okOnComputer = true, okOnFolder = false;
  EXPECT_TRUE(DriveModal("#32770", [&] { result = d.Execute(); }, [&](HWND w) {
    EXPECT_TRUE(CaptureWindowPng(w, std::string(QL_SCREENSHOT_DIR) + "/folder-dialog.png"));
    LPITEMIDLIST computer = nullptr;
    SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
    TQLItemList owned(computer);
    SendMessageA(w, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer));
    okOnComputer = !WaitFor([&] { return !IsWindowEnabled(GetDlgItem(w, IDOK)); }, 3000);
    SendMessageA(w, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>("C:\\"));
    okOnFolder = WaitFor([&] { return IsWindowEnabled(GetDlgItem(w, IDOK)) != FALSE; }, 3000);
    EXPECT_EQ(GetDlgItem(w, TreeId), FocusedWindow(w));
    PostMessageA(GetDlgItem(w, IDOK), BM_CLICK, 0, 0);
  }));
  EXPECT_FALSE(okOnComputer);
  EXPECT_TRUE(okOnFolder);
  EXPECT_TRUE(result);
  EXPECT_EQ("C:\\", d.Directory());
}

TEST_F(FolderDialog, CancelClearsDirectory) {
  TFolderDialog d;
  d.SetDirectory(Chosen);
  bool result = true;
  EXPECT_TRUE(DriveModal("#32770", [&] { result = d.Execute(); },
                         [&](HWND w) { PostMessageA(GetDlgItem(w, IDCANCEL), BM_CLICK, 0, 0); }));
  EXPECT_FALSE(result);
  EXPECT_EQ("", d.Directory());
}

TEST_F(FolderDialog, ScreenCentredWithTitleAndHostedCheckBox) {
  HWND form = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
  HWND check = CreateWindowExA(0, "BUTTON", "Create a shortcut", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 5, 5, 140,
                               20, form, nullptr, nullptr, nullptr);
  TFolderDialog d;
  d.SetOptions(d.Options() | Opt(bfScreenCenter));
  d.SetTitle("Choose");
  d.SetDirectory(Chosen);
  int clicks = 0;
  d.SetCustomButton(check, [&] { ++clicks; });
  bool result = false;
  RECT window{}, client{};
  std::string openTitle;
  EXPECT_TRUE(DriveModal("#32770", [&] { result = d.Execute(); }, [&](HWND w) {
    WaitFor([&] { return d.HostedButton() != nullptr; }, 3000);
    GetWindowRect(w, &window);
    GetClientRect(w, &client);
    HWND hosted = d.HostedButton();
    openTitle = d.Title();
    char text[64] = {};
    GetWindowTextA(hosted, text, sizeof(text));
    EXPECT_STREQ("Create a shortcut", text);
    EXPECT_EQ(w, GetParent(hosted));
    EXPECT_TRUE(IsWindowEnabled(hosted));  // in step with OK
    PostMessageA(hosted, BM_CLICK, 0, 0);
    WaitFor([&] { return clicks > 0; }, 3000);
    EXPECT_TRUE(CaptureWindowPng(w, std::string(QL_SCREENSHOT_DIR) + "/folder-dialog-custom.png"));
    PostMessageA(GetDlgItem(w, IDOK), BM_CLICK, 0, 0);
  }));
  EXPECT_TRUE(result);
  EXPECT_EQ(Chosen, d.Directory());  // the folder selected at the start
  EXPECT_EQ("Choose", openTitle);
  EXPECT_EQ(1, clicks);
  EXPECT_EQ(BST_CHECKED, SendMessageA(check, BM_GETCHECK, 0, 0));  // copied back on OK
  EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - client.right) / 2, window.left);
  EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - client.bottom) / 3, window.top);
  DestroyWindow(form);
}

}  // namespace
