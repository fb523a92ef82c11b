#include "shell/QLShortCut.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <thread>

#include "shell/QLFileUtils.h"
#include "shell/QLPlatform.h"
#include "shell/QLWinHandles.h"
#include "tests/support/TempFolder.h"

namespace {

// A link file read back through the shell's link object.
struct TLoadedLink {
  bool Loaded = false;
  std::string Path, Arguments, WorkingDirectory, Description, IconLocation;
  int IconIndex = -1;
  int ShowCmd = -1;
};

TLoadedLink LoadLink(const std::string& LinkPath) {
  TLoadedLink result;
  IShellLinkA* rawLink = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&rawLink))))
    return result;
  TQLComPtr<IShellLinkA> link(rawLink);
  IPersistFile* rawFile = nullptr;
  if (FAILED(link.Get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) return result;
  TQLComPtr<IPersistFile> file(rawFile);
  std::wstring wide(LinkPath.begin(), LinkPath.end());
  if (FAILED(file.Get()->Load(wide.c_str(), STGM_READ))) return result;
  char text[MAX_PATH * 2] = {};
  link.Get()->GetPath(text, sizeof(text), nullptr, SLGP_RAWPATH);
  result.Path = text;
  link.Get()->GetArguments(text, sizeof(text));
  result.Arguments = text;
  link.Get()->GetWorkingDirectory(text, sizeof(text));
  result.WorkingDirectory = text;
  link.Get()->GetDescription(text, sizeof(text));
  result.Description = text;
  link.Get()->GetIconLocation(text, sizeof(text), &result.IconIndex);
  result.IconLocation = text;
  link.Get()->GetShowCmd(&result.ShowCmd);
  result.Loaded = true;
  return result;
}

// The show command stored in the link file's header (a 32-bit value at
// offset 0x3C of the 0x4C-byte header); the link object of some systems
// does not hand it back after loading. -1 when the file has no such header.
int StoredShowCommand(const std::string& LinkPath) {
  std::string bytes = ReadTextFile(LinkPath);
  if (bytes.size() < 0x4C || bytes[0] != 0x4C) return -1;
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[0x3C + i]);
  return static_cast<int>(value);
}

class ShortCutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    // Each test starts from a Start menu and desktop without the product's
    // links, whatever a test program before this one left there.
    DeleteProgramsFolder("Prismora SE");
    DeleteDesktopShortCut("Prismora SE");
    Dest = Temp / "Prismora 1.0 SE";
    WriteTextFile(Dest + "\\PQENGINE.EXE", "MZ");
    WriteTextFile(Dest + "\\README.TXT", "read me");
  }
  void TearDown() override {
    DeleteProgramsFolder("Prismora SE");
    DeleteDesktopShortCut("Prismora SE");
    SetNTFamilyOverride(std::nullopt);
    CoUninitialize();
  }

  // Creates the three links for Dest as the installation does and checks
  // each against its row; returns the link paths.
  std::vector<std::string> CreateAllAndCheck() {
    std::vector<std::string> links;
    for (const TQLShortCutFile& row : ShortCutTable) {
      TQLShortCutFile mapped = AllUsersShortCut(row);
      EXPECT_TRUE(CreateShortCutFile(Dest, mapped)) << row.LinkName;
      std::string link = GetSpecialFolderPath(mapped.Folder) + "\\" + row.LinkName + ".lnk";
      EXPECT_EQ(ShortCutLinkPath(mapped), link);
      TLoadedLink loaded = LoadLink(link);
      EXPECT_TRUE(loaded.Loaded) << link;
      EXPECT_EQ(loaded.Path, Dest + row.FileName);
      EXPECT_EQ(loaded.WorkingDirectory, Dest);
      EXPECT_EQ(loaded.Description, row.LinkName);
      EXPECT_EQ(loaded.Arguments, "");
      EXPECT_EQ(loaded.ShowCmd, SW_SHOWNORMAL);
      EXPECT_EQ(StoredShowCommand(link), SW_SHOWNORMAL);
      links.push_back(link);
    }
    return links;
  }

  TTempFolder Temp;
  std::string Dest;
};

TEST_F(ShortCutTest, OnTheNTFamilyTheLinksGoToTheAllUsersFolders) {
  SetNTFamilyOverride(true);
  EXPECT_EQ(AllUsersShortCut(ShortCutTable[0]).Folder, 25);
  EXPECT_EQ(AllUsersShortCut(ShortCutTable[1]).Folder, 23);
  EXPECT_EQ(AllUsersShortCut(ShortCutTable[2]).Folder, 23);
  EXPECT_EQ(ShortCutTable[1].Folder, 2);  // the table itself stays as it is

  std::string programs = GetSpecialFolderPath(23) + "\\Prismora SE";
  EXPECT_FALSE(DirectoryExists(programs));
  std::vector<std::string> links = CreateAllAndCheck();
  EXPECT_EQ(links[0], GetSpecialFolderPath(25) + "\\Prismora SE.lnk");
  EXPECT_EQ(links[1], programs + "\\Prismora.lnk");
  EXPECT_EQ(links[2], programs + "\\Prismora ReadMe.lnk");
  EXPECT_FALSE(FileExists(GetSpecialFolderPath(16) + "\\Prismora SE.lnk"));
  EXPECT_FALSE(DirectoryExists(GetSpecialFolderPath(2) + "\\Prismora SE"));

  for (const TQLShortCutFile& row : ShortCutTable) DeleteShortCutFile(AllUsersShortCut(row));
  for (const std::string& link : links) EXPECT_FALSE(FileExists(link)) << link;
  EXPECT_TRUE(DirectoryExists(programs));  // a link's folder stays
  DeleteProgramsFolder("Prismora SE");
  EXPECT_FALSE(DirectoryExists(programs));
}

TEST_F(ShortCutTest, OnTheOtherFamilyTheLinksGoToTheUsersOwnFolders) {
  SetNTFamilyOverride(false);
  for (const TQLShortCutFile& row : ShortCutTable) EXPECT_EQ(AllUsersShortCut(row).Folder, row.Folder);

  std::vector<std::string> links = CreateAllAndCheck();
  EXPECT_EQ(links[0], GetSpecialFolderPath(16) + "\\Prismora SE.lnk");
  EXPECT_EQ(links[1], GetSpecialFolderPath(2) + "\\Prismora SE\\Prismora.lnk");
  EXPECT_FALSE(FileExists(GetSpecialFolderPath(25) + "\\Prismora SE.lnk"));

  DeleteDesktopShortCut("Prismora SE");
  EXPECT_FALSE(FileExists(links[0]));
  DeleteProgramsFolder("Prismora SE");
  EXPECT_FALSE(DirectoryExists(GetSpecialFolderPath(2) + "\\Prismora SE"));
}

TEST_F(ShortCutTest, TheNTFamilyCleansBothTheAllUsersAndTheUsersFolders) {
  SetNTFamilyOverride(false);
  CreateAllAndCheck();
  SetNTFamilyOverride(true);
  CreateAllAndCheck();
  DeleteDesktopShortCut("Prismora SE");
  DeleteProgramsFolder("Prismora SE");
  EXPECT_FALSE(FileExists(GetSpecialFolderPath(16) + "\\Prismora SE.lnk"));
  EXPECT_FALSE(FileExists(GetSpecialFolderPath(25) + "\\Prismora SE.lnk"));
  EXPECT_FALSE(DirectoryExists(GetSpecialFolderPath(2) + "\\Prismora SE"));
  EXPECT_FALSE(DirectoryExists(GetSpecialFolderPath(23) + "\\Prismora SE"));
}

TEST_F(ShortCutTest, CreateShortCutKeepsEveryPropertyAndOverwrites) {
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(Temp.Path().c_str()));
  TQLShortCutInfo info;
  info.Path = Dest + "\\PQENGINE.EXE";
  info.Arguments = "/play \"demo file.pqr\"";
  info.WorkingDirectory = Temp.Path();
  info.Description = "A description";
  info.IconLocation = Dest + "\\PQENGINE.EXE";
  info.IconIndex = 2;
  info.ShowState = TQLShowState::Minimized;
  EXPECT_TRUE(CreateShortCut("links\\new\\demo.lnk", info));  // relative; folders created
  SetCurrentDirectoryA(previous);

  TLoadedLink loaded = LoadLink(Temp / "links\\new\\demo.lnk");
  ASSERT_TRUE(loaded.Loaded);
  EXPECT_EQ(loaded.Arguments, info.Arguments);
  EXPECT_EQ(loaded.Description, "A description");
  EXPECT_EQ(loaded.IconLocation, info.IconLocation);
  EXPECT_EQ(loaded.IconIndex, 2);
  EXPECT_EQ(StoredShowCommand(Temp / "links\\new\\demo.lnk"), SW_SHOWMINNOACTIVE);

  info.ShowState = TQLShowState::Maximized;
  info.Description = "Replaced";
  EXPECT_TRUE(CreateShortCut(Temp / "links\\new\\demo.lnk", info));
  loaded = LoadLink(Temp / "links\\new\\demo.lnk");
  EXPECT_EQ(loaded.Description, "Replaced");
  EXPECT_EQ(StoredShowCommand(Temp / "links\\new\\demo.lnk"), SW_SHOWMAXIMIZED);
}

TEST_F(ShortCutTest, ALinkThatCannotBeSavedIsReported) {
  ASSERT_EQ(GetDriveTypeA("Q:\\"), UINT(DRIVE_NO_ROOT_DIR));
  TQLShortCutInfo info;
  info.Path = Dest + "\\PQENGINE.EXE";
  EXPECT_FALSE(CreateShortCut("Q:\\Start Menu\\demo.lnk", info));
}

TEST_F(ShortCutTest, WithoutCOMTheLinkObjectFailureIsRaised) {
  bool raised = false;
  int32_t status = 0;
  std::string message;
  std::thread worker([&] {  // a thread that never joined an apartment
    TQLShortCutInfo info;
    info.Path = Dest + "\\PQENGINE.EXE";
    try {
      CreateShortCut(Temp / "no-com.lnk", info);
    } catch (const EQLShellLinkError& e) {
      raised = true;
      status = e.Status();
      message = e.what();
    }
  });
  worker.join();
  EXPECT_TRUE(raised);
  EXPECT_EQ(int32_t(CO_E_NOTINITIALIZED), status);
  EXPECT_EQ(0u, message.find("shell link object: ")) << message;
  EXPECT_GT(message.size(), std::string("shell link object: ").size());
  EXPECT_FALSE(PathExists(Temp / "no-com.lnk"));
}

TEST_F(ShortCutTest, DeletingWhatDoesNotExistDoesNothing) {
  for (bool nt : {true, false}) {
    SetNTFamilyOverride(nt);
    std::string desktop = GetSpecialFolderPath(nt ? 25 : 16);
    std::string programs = GetSpecialFolderPath(nt ? 23 : 2);
    WriteTextFile(desktop + "\\Other.txt", "x");
    WriteTextFile(programs + "\\Other\\Other.txt", "x");

    DeleteDesktopShortCut("Prismora SE");
    DeleteProgramsFolder("Prismora SE");
    DeleteProgramsFolder("Prismora 1.0 SE");
    DeleteProgramsFolder("");  // never the programs folder itself
    for (const TQLShortCutFile& row : ShortCutTable) DeleteShortCutFile(AllUsersShortCut(row));

    EXPECT_TRUE(FileExists(desktop + "\\Other.txt"));
    EXPECT_TRUE(FileExists(programs + "\\Other\\Other.txt"));
    DeleteFileIfExists(desktop + "\\Other.txt");
    DeleteTree(programs + "\\Other");
  }
}

}  // namespace
