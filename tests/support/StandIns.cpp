#include "tests/support/StandIns.h"

#include <windows.h>

std::string TestProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s = path;
  return s.substr(0, s.rfind('\\') + 1);
}

bool CopyStandIn(const std::string& Name, const std::string& Target) {
  // Test programs live one folder below the build folder, the stand-ins in
  // its "standins" folder.
  const std::string source = TestProgramFolder() + "..\\standins\\" + Name;
  return CopyFileA(source.c_str(), Target.c_str(), FALSE) != FALSE;
}

void SetProcessVariable(const std::string& Name, const std::string& Value) {
  SetEnvironmentVariableA(Name.c_str(), Value.empty() ? nullptr : Value.c_str());
}
