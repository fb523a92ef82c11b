#include "shell/QLRegistExt.h"

#include <windows.h>
#include <shlobj.h>

#include "shell/QLRegistry.h"

const TQLRegistExt RegistExtTable[RegistExtCount] = {
    {".LTR", "\\PQENGINE.EXE", "\\PQENGINE.EXE,1", "LUMI_TRACE_SE_RUNTIME_FILE", "Lumi Trace SE Runtime File"},
    {".LTL", "\\PQENGINE.EXE", "\\PQENGINE.EXE,1", "LUMI_TRACE_SE_RUNTIME_FILE", "Lumi Trace SE Runtime File"},
    {".PQR", "\\PQENGINE.EXE", "\\PQENGINE.EXE,2", "PrismoraSERuntimeFile", "Prismora SE Runtime File"},
    {".LTO", "\\PQENGINE.EXE", "\\PQENGINE.EXE,3", "LUMI_TRACE_CABINET_FILE", "Lumi Trace Cabinet File"},
    {".PQO", "\\PQENGINE.EXE", "\\PQENGINE.EXE,4", "PrismoraCabinetFile", "Prismora Cabinet File"},
};

namespace {

// Creates Key if needed and writes its default value; skipped when the key
// cannot be opened. Each key is closed before the next is opened.
void WriteDefaultValue(TQLRegistry& Registry, const std::string& Key, const std::string& Value) {
  if (!Registry.OpenKey(Key, true)) return;
  Registry.WriteString("", Value);
  Registry.CloseKey();
}

void RegisterRow(TQLRegistry& Registry, const TQLRegistExt& Row, const std::string& AppPath) {
  WriteDefaultValue(Registry, Row.Ext, Row.ProgID);
  WriteDefaultValue(Registry, Row.ProgID, Row.Description);
  WriteDefaultValue(Registry, Row.ProgID + "\\DefaultIcon", AppPath + Row.Icon);
  if (!Row.ExeName.empty())
    WriteDefaultValue(Registry, Row.ProgID + "\\shell\\open\\command", "\"" + AppPath + Row.ExeName + "\" \"%1\"");
}

void RemoveRow(TQLRegistry& Registry, const TQLRegistExt& Row) {
  Registry.DeleteKey(Row.ProgID + "\\shell\\open\\command");
  Registry.DeleteKey(Row.ProgID + "\\DefaultIcon");
  Registry.DeleteKey(Row.ProgID);
  Registry.DeleteKey(Row.Ext);
}

}  // namespace

void RegisterFileTypes(const TQLRegistExt* Table, int Count, const std::string& AppPath, bool Register) {
  TQLRegistry registry(HKEY_CLASSES_ROOT);
  for (int i = 0; i < Count; ++i) {
    const TQLRegistExt& row = Table[i];
    if (row.Ext.empty()) continue;
    if (Register)
      RegisterRow(registry, row, AppPath);
    else
      RemoveRow(registry, row);
  }
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}
