// Test support: a fresh folder below the system's temporary folder, removed
// with everything in it when the object goes; and small file helpers.
#pragma once

#include <string>

class TTempFolder {
public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  // The folder, with the platform's separator at the end.
  const std::string& Path() const { return FPath; }
  std::string operator/(const std::string& Name) const { return FPath + Name; }

private:
  std::string FPath;
};

void WriteTextFile(const std::string& Path, const std::string& Content);
std::string ReadTextFile(const std::string& Path);  // empty when missing
bool PathExists(const std::string& Path);
