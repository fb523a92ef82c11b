#include "shell/QLRegistExt.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "shell/QLRegistry.h"

namespace {

// Every key and value below a key of HKEY_CLASSES_ROOT, as
// "path|value name" -> "type:data".
using TDump = std::map<std::string, std::string>;

void DumpKey(HKEY Parent, const std::string& Name, const std::string& Path, TDump& Dump) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(Parent, Name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  Dump[Path] = "(key)";
  char name[256];
  BYTE data[1024];
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = sizeof(name), dataLength = sizeof(data), type = 0;
    if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) break;
    Dump[Path + "|" + name] = std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), dataLength);
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = sizeof(name);
    if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DumpKey(key, name, Path + "\\" + name, Dump);
  }
  RegCloseKey(key);
}

TDump DumpFileTypes(const TQLRegistExt* Table, int Count) {
  TDump dump;
  for (int i = 0; i < Count; ++i)
    for (const std::string& key : {Table[i].Ext, Table[i].ProgID})
      if (!key.empty()) DumpKey(HKEY_CLASSES_ROOT, key, key, dump);
  return dump;
}

std::string Sz(const std::string& Text) { return std::to_string(REG_SZ) + ":" + Text + std::string(1, '\0'); }

// Counts the shell's association-changed notifications to a hidden window.
class TAssocWatcher {
 public:
  static constexpr UINT Message = WM_APP + 7;
  TAssocWatcher() {
    FWindow = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(FWindow, GWLP_USERDATA, 0);
    FOldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(FWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TAssocWatcher::Proc)));
    SHChangeNotifyEntry entry{nullptr, TRUE};
    FRegistration = SHChangeNotifyRegister(FWindow, SHCNRF_ShellLevel | SHCNRF_InterruptLevel, SHCNE_ASSOCCHANGED,
                                           Message, 1, &entry);
  }
  ~TAssocWatcher() {
    if (FRegistration) SHChangeNotifyDeregister(FRegistration);
    DestroyWindow(FWindow);
  }
  bool Registered() const { return FRegistration != 0; }
  // Notifications received so far (pending messages are processed first).
  LONG_PTR Count() {
    MSG msg;
    for (int round = 0; round < 20; ++round) {
      while (PeekMessageA(&msg, FWindow, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(5);
    }
    return GetWindowLongPtrA(FWindow, GWLP_USERDATA);
  }

 private:
  static LRESULT CALLBACK Proc(HWND Window, UINT Msg, WPARAM W, LPARAM L) {
    if (Msg == Message) SetWindowLongPtrA(Window, GWLP_USERDATA, GetWindowLongPtrA(Window, GWLP_USERDATA) + 1);
    return DefWindowProcA(Window, Msg, W, L);
  }
  HWND FWindow = nullptr;
  WNDPROC FOldProc = nullptr;
  ULONG FRegistration = 0;
};

class RegistExtTest : public ::testing::Test {
 protected:
  void TearDown() override { RegisterFileTypes(RegistExtTable, RegistExtCount, "", false); }
};

TEST_F(RegistExtTest, RegisterWritesTheKeysOfEveryRow) {
  RegisterFileTypes(RegistExtTable, RegistExtCount, "C:\\P", true);
  TDump dump = DumpFileTypes(RegistExtTable, RegistExtCount);

  EXPECT_EQ(dump[".PQR|"], Sz("PrismoraSERuntimeFile"));
  EXPECT_EQ(dump["PrismoraSERuntimeFile|"], Sz("Prismora SE Runtime File"));
  EXPECT_EQ(dump["PrismoraSERuntimeFile\\DefaultIcon|"], Sz("C:\\P\\PQENGINE.EXE,2"));
  EXPECT_EQ(dump["PrismoraSERuntimeFile\\shell\\open\\command|"], Sz("\"C:\\P\\PQENGINE.EXE\" \"%1\""));
  EXPECT_EQ(dump[".LTR|"], Sz("LUMI_TRACE_SE_RUNTIME_FILE"));
  EXPECT_EQ(dump[".LTL|"], Sz("LUMI_TRACE_SE_RUNTIME_FILE"));
  EXPECT_EQ(dump["LUMI_TRACE_SE_RUNTIME_FILE\\DefaultIcon|"], Sz("C:\\P\\PQENGINE.EXE,1"));
  EXPECT_EQ(dump[".LTO|"], Sz("LUMI_TRACE_CABINET_FILE"));
  EXPECT_EQ(dump["LUMI_TRACE_CABINET_FILE|"], Sz("Lumi Trace Cabinet File"));
  EXPECT_EQ(dump[".PQO|"], Sz("PrismoraCabinetFile"));
  EXPECT_EQ(dump["PrismoraCabinetFile\\DefaultIcon|"], Sz("C:\\P\\PQENGINE.EXE,4"));
  EXPECT_EQ(dump["PrismoraCabinetFile\\shell\\open\\command|"], Sz("\"C:\\P\\PQENGINE.EXE\" \"%1\""));
}

TEST_F(RegistExtTest, RegisteringTwiceEqualsRegisteringOnce) {
  RegisterFileTypes(RegistExtTable, RegistExtCount, "C:\\Program Files\\Prismora 1.0 SE", true);
  TDump once = DumpFileTypes(RegistExtTable, RegistExtCount);
  RegisterFileTypes(RegistExtTable, RegistExtCount, "C:\\Program Files\\Prismora 1.0 SE", true);
  EXPECT_EQ(DumpFileTypes(RegistExtTable, RegistExtCount), once);
  EXPECT_EQ(once.size(), 5u * 2 + 4u * 8);  // 5 extensions; 4 file types of 5 keys and 3 values
}

TEST_F(RegistExtTest, RemoveTakesTheKeysWithEverythingBelowThem) {
  RegisterFileTypes(RegistExtTable, RegistExtCount, "C:\\P", true);
  TQLRegistry registry(HKEY_CLASSES_ROOT);
  ASSERT_TRUE(registry.OpenKey(".PQR", true));
  registry.WriteString("Content Type", "application/x-prismora-se");
  ASSERT_TRUE(registry.OpenKey("PrismoraSERuntimeFile\\CLSID", true));
  registry.WriteString("", "{5E2A7C10-3B94-4F61-9D08-A1C6E3B7F245}");
  ASSERT_TRUE(registry.OpenKey(".qlkeep", true));
  registry.WriteString("", "kept");
  registry.CloseKey();

  RegisterFileTypes(RegistExtTable, RegistExtCount, "", false);
  EXPECT_TRUE(DumpFileTypes(RegistExtTable, RegistExtCount).empty());
  ASSERT_TRUE(registry.OpenKeyReadOnly(".qlkeep"));
  EXPECT_EQ(registry.ReadString(""), "kept");
  registry.CloseKey();
  EXPECT_TRUE(registry.DeleteKey(".qlkeep"));
}

TEST_F(RegistExtTest, RemovingWhenNothingIsRegisteredChangesNothingAndStillNotifies) {
  TAssocWatcher watcher;
  ASSERT_TRUE(watcher.Registered());
  RegisterFileTypes(RegistExtTable, RegistExtCount, "", false);
  EXPECT_TRUE(DumpFileTypes(RegistExtTable, RegistExtCount).empty());
  EXPECT_EQ(watcher.Count(), 1);
  RegisterFileTypes(RegistExtTable, RegistExtCount, "C:\\P", true);
  EXPECT_EQ(watcher.Count(), 2);
}

TEST_F(RegistExtTest, ARowWithoutProgramGetsNoOpenCommandAndInactiveRowsAreSkipped) {
  const TQLRegistExt table[] = {
      {".QLTESTA", "", "\\VIEWER.EXE,5", "QLTestFileA", "QL Test File A"},
      {"", "\\VIEWER.EXE", "\\VIEWER.EXE,6", "QLTestFileB", "QL Test File B"},
  };
  RegisterFileTypes(table, 2, "D:\\Q", true);
  TDump dump = DumpFileTypes(table, 2);
  EXPECT_EQ(dump[".QLTESTA|"], Sz("QLTestFileA"));
  EXPECT_EQ(dump["QLTestFileA|"], Sz("QL Test File A"));
  EXPECT_EQ(dump["QLTestFileA\\DefaultIcon|"], Sz("D:\\Q\\VIEWER.EXE,5"));
  EXPECT_EQ(dump.count("QLTestFileA\\shell"), 0u);
  EXPECT_EQ(dump.count("QLTestFileB"), 0u);
  RegisterFileTypes(table, 2, "", false);
  EXPECT_TRUE(DumpFileTypes(table, 2).empty());
}

}  // namespace
