#include "tests/support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

TTempFolder::TTempFolder() {
  static std::atomic<int> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path p = fs::temp_directory_path() /
               ("qltest-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(p);
  FPath = p.string() + char(fs::path::preferred_separator);
}

TTempFolder::~TTempFolder() {
  std::error_code ec;
  fs::remove_all(FPath, ec);
}

void WriteTextFile(const std::string& Path, const std::string& Content) {
  fs::create_directories(fs::path(Path).parent_path());
  std::ofstream out(Path, std::ios::binary);
  out << Content;
}

std::string ReadTextFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool PathExists(const std::string& Path) {
  std::error_code ec;
  return fs::exists(Path, ec);
}
