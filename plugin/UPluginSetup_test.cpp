#include "plugin/UPluginSetup.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "shell/QLRegistry.h"
#include "shell/QLWinHandles.h"
#include "tests/support/DialogScript.h"
#include "tests/support/KeyAccess.h"
#include "tests/support/StandIns.h"
#include "tests/support/TempFolder.h"

namespace {

const char kAppPaths[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
const char kNetscapeCommand[] = "\\NetscapeMarkup\\shell\\open\\command";
const char kMimeKey[] = "\\Software\\Microsoft\\Internet Explorer\\Plugins\\MIME\\";
const char kExtensionKey[] = "\\Software\\Microsoft\\Internet Explorer\\Plugins\\Extension\\";
const char kContentTypes[] = "\\Mime\\Database\\Content Type\\";
const std::string kInprocKey = std::string("\\CLSID\\") + kRuntimeClsid + "\\InprocServer32";

bool KeyExists(HKEY Root, const std::string& Key) { return TQLRegistry(Root).KeyExists(Key); }

std::string ReadValue(HKEY Root, const std::string& Key, const std::string& Name) {
  TQLRegistry r(Root);
  return r.OpenKeyReadOnly(Key) ? r.ReadString(Name) : "(no key)";
}

void WriteValue(HKEY Root, const std::string& Key, const std::string& Name, const std::string& Value) {
  TQLRegistry r(Root);
  ASSERT_TRUE(r.OpenKey(Key, true)) << Key;
  r.WriteString(Name, Value);
}

// Every browser source is cleared for the test and given back afterwards.
class PluginSetup : public ::testing::Test {
protected:
  struct TSource {
    HKEY Root;
    std::string Key;
  };
  std::vector<TSource> Sources() const {
    std::vector<TSource> s = {{HKEY_CLASSES_ROOT, kNetscapeCommand}};
    for (const char* exe : {"IEXPLORE.EXE", "Netscp6.exe", "Netscp.exe", "Mozilla.exe", "firefox.exe", "Opera.exe"})
      s.push_back({HKEY_LOCAL_MACHINE, std::string(kAppPaths) + exe});
    return s;
  }
  void SetUp() override {
    for (const TSource& s : Sources()) {
      std::string saved = ReadValue(s.Root, s.Key, "");
      FSaved.push_back(saved);
      TQLRegistry(s.Root).DeleteKey(s.Key);
    }
  }
  void TearDown() override {
    std::vector<TSource> sources = Sources();
    for (size_t i = 0; i < sources.size(); ++i) {
      TQLRegistry(sources[i].Root).DeleteKey(sources[i].Key);
      if (FSaved[i] != "(no key)") WriteValue(sources[i].Root, sources[i].Key, "", FSaved[i]);
    }
  }
  // A browser folder below the temporary folder, with or without PLUGINS.
  std::string Browser(const std::string& Name, bool WithPlugins) {
    std::string folder = Dir / Name;
    CreateDirectoryA(folder.c_str(), nullptr);
    if (WithPlugins) CreateDirectoryA((folder + "\\PLUGINS").c_str(), nullptr);
    return folder;
  }
  TTempFolder Dir;
  std::vector<std::string> FSaved;
};

TEST_F(PluginSetup, NoBrowserNoFolderNoMessage) {
  EXPECT_TRUE(BrowserPluginFolders().empty());
  TDialogScript script({});
  InstallNetscapePlugins(Dir / "product");
  EXPECT_TRUE(script.Requests.empty());
}

TEST_F(PluginSetup, FoldersInSourceOrderWithDuplicates) {
  std::string a = Browser("BrowserA", true), b = Browser("BrowserB", true), c = Browser("BrowserC", false);
  WriteValue(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "Opera.exe", "", c + "\\opera.exe");
  WriteValue(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "firefox.exe", "", a + "\\firefox.exe");
  WriteValue(HKEY_CLASSES_ROOT, kNetscapeCommand, "", "\"" + b + "\\netscape.exe\" -h \"%1\"");
  WriteValue(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "IEXPLORE.EXE", "", a + "\\iexplore.exe");
  EXPECT_EQ((std::vector<std::string>{a + "\\PLUGINS", b + "\\PLUGINS", a + "\\PLUGINS"}), BrowserPluginFolders());
}

TEST_F(PluginSetup, PluginCopiedEverywhereAndALockedTargetReportedOnce) {
  std::string a = Browser("BrowserA", true), b = Browser("BrowserB", true), c = Browser("BrowserC", true);
  WriteValue(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "Netscp6.exe", "", a + "\\n6.exe");
  WriteValue(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "Netscp.exe", "", b + "\\n.exe");
  WriteValue(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "Mozilla.exe", "", c + "\\m.exe");
  std::string product = Dir / "product";
  CreateDirectoryA(product.c_str(), nullptr);
  ASSERT_TRUE(CopyStandIn("standin_nppqese.dll", product + "\\NPPQESE.DLL"));
  for (const std::string& f : {a, b, c}) WriteTextFile(f + "\\PLUGINS\\NPLTPLAY.DLL", "sibling");
  WriteTextFile(b + "\\PLUGINS\\NPPQESE.DLL", "old");
  TQLFileHandle locked(CreateFileA((b + "\\PLUGINS\\NPPQESE.DLL").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(locked);
  TDialogScript script({mrOk});
  InstallNetscapePlugins(product);
  ASSERT_EQ(1u, script.Requests.size());
  EXPECT_EQ("Copy fault: \r\rSource " + product + "\\NPPQESE.DLL\rTarget " + b + "\\PLUGINS\\NPPQESE.DLL",
            script.Requests[0].Text);
  EXPECT_EQ(mtError, script.Requests[0].Kind);
  EXPECT_EQ(TMsgDlgButtons(mbOK), script.Requests[0].Buttons);
  locked.Reset();
  const std::string plugin = ReadTextFile(product + "\\NPPQESE.DLL");
  EXPECT_EQ(plugin, ReadTextFile(a + "\\PLUGINS\\NPPQESE.DLL"));
  EXPECT_EQ(plugin, ReadTextFile(c + "\\PLUGINS\\NPPQESE.DLL"));
  EXPECT_EQ("old", ReadTextFile(b + "\\PLUGINS\\NPPQESE.DLL"));
  for (const std::string& f : {a, b, c}) EXPECT_FALSE(PathExists(f + "\\PLUGINS\\NPLTPLAY.DLL")) << f;

  WriteTextFile(a + "\\PLUGINS\\LumitracePlugin.class", "x");
  WriteTextFile(c + "\\PLUGINS\\KORPrismora.class", "x");
  WriteTextFile(c + "\\PLUGINS\\other.dll", "kept");
  RemoveNetscapePlugins();
  RemoveJavaPluginClasses();
  for (const std::string& f : {a, b, c}) {
    EXPECT_FALSE(PathExists(f + "\\PLUGINS\\NPPQESE.DLL")) << f;
    EXPECT_FALSE(PathExists(f + "\\PLUGINS\\LumitracePlugin.class")) << f;
    EXPECT_FALSE(PathExists(f + "\\PLUGINS\\KORPrismora.class")) << f;
  }
  EXPECT_EQ("kept", ReadTextFile(c + "\\PLUGINS\\other.dll"));
}

TEST_F(PluginSetup, MimeKeysWrittenRemovedAndWrittenAgain) {
  for (const char* ext : {".pqr", ".ltr", ".ltl"}) WriteValue(HKEY_LOCAL_MACHINE, std::string(kExtensionKey) + ext, "", "x");
  for (const char* type : {"application/x-prismora", "application/x-prismora-se"})
    WriteValue(HKEY_CLASSES_ROOT, std::string(kContentTypes) + type, "Extension", ".pqr");
  EXPECT_TRUE(WriteBrowserMimeKeys());
  EXPECT_EQ(".ltr", ReadValue(HKEY_LOCAL_MACHINE, std::string(kMimeKey) + "application/x-lumitrace", "Extension"));
  EXPECT_EQ(".pqr", ReadValue(HKEY_LOCAL_MACHINE, std::string(kMimeKey) + "application/x-prismora-se", "Extension"));

  EXPECT_TRUE(RemoveBrowserMimeKeys());
  for (const char* key : {"application/x-lumitrace", "application/x-prismora-se"})
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kMimeKey) + key)) << key;
  for (const char* ext : {".pqr", ".ltr", ".ltl"})
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kExtensionKey) + ext)) << ext;
  for (const char* type : {"application/x-prismora", "application/x-prismora-se"})
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::string(kContentTypes) + type)) << type;
  EXPECT_TRUE(RemoveBrowserMimeKeys());  // nothing left to remove

  WriteBrowserMimeKeys();
  WriteBrowserMimeKeys();
  EXPECT_EQ(".pqr", ReadValue(HKEY_LOCAL_MACHINE, std::string(kMimeKey) + "application/x-prismora-se", "Extension"));
}

TEST_F(PluginSetup, RemovalStopsAtTheFirstPluginKeyThatCannotGo) {
  WriteBrowserMimeKeys();
  for (const char* ext : {".pqr", ".ltr"}) WriteValue(HKEY_LOCAL_MACHINE, std::string(kExtensionKey) + ext, "", "x");
  WriteValue(HKEY_CLASSES_ROOT, std::string(kContentTypes) + "application/x-prismora-se", "Extension", ".pqr");
  const std::string stuck = std::string(kMimeKey) + "application/x-lumitrace";
  WriteValue(HKEY_LOCAL_MACHINE, stuck + "\\Sub", "", "x");
  // Everyone may read the subkey, nobody may delete it.
  ASSERT_TRUE(SetKeyAccess(HKEY_LOCAL_MACHINE, stuck + "\\Sub", "D:P(A;;KR;;;WD)"));
  EXPECT_FALSE(RemoveBrowserMimeKeys());
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, stuck));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kMimeKey) + "application/x-prismora-se"));
  for (const char* ext : {".pqr", ".ltr"}) EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kExtensionKey) + ext));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::string(kContentTypes) + "application/x-prismora-se"));

  ASSERT_TRUE(SetKeyAccess(HKEY_LOCAL_MACHINE, stuck + "\\Sub", "D:P(A;;KA;;;WD)"));
  EXPECT_TRUE(RemoveBrowserMimeKeys());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, stuck));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kExtensionKey) + ".pqr"));
}

TEST_F(PluginSetup, RuntimeFileClsid) {
  WriteRuntimeFileClsid();
  EXPECT_EQ(kRuntimeClsid, ReadValue(HKEY_CLASSES_ROOT, "PrismoraSERuntimeFile\\CLSID", ""));
}

TEST_F(PluginSetup, ControlRegisteredAndUnregistered) {
  std::string product = Dir / "product";
  CreateDirectoryA(product.c_str(), nullptr);
  ASSERT_TRUE(CopyStandIn("standin_axpqeng.dll", product + "\\axpqeng.dll"));
  TQLRegistry(HKEY_CLASSES_ROOT).DeleteKey(std::string("\\CLSID\\") + kRuntimeClsid);
  EXPECT_TRUE(RegisterActiveXControl(product));
  EXPECT_EQ(product + "\\axpqeng.dll", ReadValue(HKEY_CLASSES_ROOT, kInprocKey, ""));
  // Found through the uninstaller's folder followed by "..".
  EXPECT_TRUE(UnregisterActiveXControl(product + "\\UNINST\\.."));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kInprocKey));
}

TEST_F(PluginSetup, ControlThatRefusesOrIsMissing) {
  std::string product = Dir / "product";
  CreateDirectoryA(product.c_str(), nullptr);
  EXPECT_FALSE(RegisterActiveXControl(product));  // no control there
  ASSERT_TRUE(CopyStandIn("standin_axpqeng_refuse.dll", product + "\\axpqeng.dll"));
  EXPECT_FALSE(RegisterActiveXControl(product));   // S_FALSE
  EXPECT_FALSE(UnregisterActiveXControl(product)); // S_FALSE
  // Neither the file nor a registered server: nothing to unregister.
  TQLRegistry(HKEY_CLASSES_ROOT).DeleteKey(std::string("\\CLSID\\") + kRuntimeClsid);
  EXPECT_TRUE(UnregisterActiveXControl(Dir / "nowhere"));
}

TEST_F(PluginSetup, UnregisterFallsBackToTheRegisteredServer) {
  std::string elsewhere = Dir / "elsewhere";
  CreateDirectoryA(elsewhere.c_str(), nullptr);
  ASSERT_TRUE(CopyStandIn("standin_axpqeng.dll", elsewhere + "\\axpqeng.dll"));
  ASSERT_TRUE(RegisterActiveXControl(elsewhere));
  ASSERT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kInprocKey));
  EXPECT_TRUE(UnregisterActiveXControl(Dir / "product-gone"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kInprocKey));
}

// HKEY_CLASSES_ROOT as an elevated process sees it where per-user classes
// are merged in: the user's own classes key answers first.
class TMergedClassesView {
public:
  TMergedClassesView() {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &FUserClasses,
                    nullptr);
    RegOverridePredefKey(HKEY_CLASSES_ROOT, FUserClasses);
  }
  ~TMergedClassesView() {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(FUserClasses);
  }

private:
  HKEY FUserClasses = nullptr;
};

TEST_F(PluginSetup, UnregisterNeverLoadsAServerNamedByTheUser) {
  ASSERT_TRUE(CopyStandIn("standin_planted.dll", Dir / "planted.dll"));
  const std::string marker = Dir / "planted-loaded";
  SetProcessVariable("QL_PLANTED_MARKER", marker);
  const std::string userServer = std::string("Software\\Classes\\CLSID\\") + kRuntimeClsid + "\\InprocServer32";
  WriteValue(HKEY_CURRENT_USER, userServer, "", Dir / "planted.dll");
  TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(std::string("SOFTWARE\\Classes\\CLSID\\") + kRuntimeClsid);
  {
    TMergedClassesView merged;
    ASSERT_EQ(Dir / "planted.dll", ReadValue(HKEY_CLASSES_ROOT, kInprocKey, ""));
    EXPECT_TRUE(UnregisterActiveXControl(Dir / "product-gone"));  // nothing of the machine's to unregister
  }
  EXPECT_FALSE(PathExists(marker));
  SetProcessVariable("QL_PLANTED_MARKER", "");
  TQLRegistry(HKEY_CURRENT_USER).DeleteKey(std::string("Software\\Classes\\CLSID\\") + kRuntimeClsid);
}

TEST_F(PluginSetup, SiblingMimeKeyReadAndWrittenBack) {
  const std::string sibling = std::string(kMimeKey) + "application/x-lumitrace";
  TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(sibling);
  EXPECT_FALSE(SiblingMimeExtension().has_value());
  WriteValue(HKEY_LOCAL_MACHINE, sibling, "Extension", ".ltx");
  EXPECT_EQ(".ltx", SiblingMimeExtension().value_or("none"));
  RemoveBrowserMimeKeys();
  WriteSiblingMimeKey(".ltx");
  EXPECT_EQ(".ltx", ReadValue(HKEY_LOCAL_MACHINE, sibling, "Extension"));
}

TEST_F(PluginSetup, ExplorerVersionFromTheRegistry) {
  const std::string key = "\\Software\\Microsoft\\Internet Explorer";
  std::string saved = ReadValue(HKEY_LOCAL_MACHINE, key, "Version");
  WriteValue(HKEY_LOCAL_MACHINE, key, "Version", "6.0.2900.2180");
  EXPECT_DOUBLE_EQ(6.0, InternetExplorerVersion());
  WriteValue(HKEY_LOCAL_MACHINE, key, "Version", "not a number");
  EXPECT_DOUBLE_EQ(0, InternetExplorerVersion());
  {
    TQLRegistry r(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(r.OpenKey(key, false));
    r.WriteInteger("Version", 6);  // damaged: no text at all
  }
  EXPECT_DOUBLE_EQ(0, InternetExplorerVersion());
  WriteValue(HKEY_LOCAL_MACHINE, key, "Version", saved == "(no key)" ? "" : saved);
}

}  // namespace
