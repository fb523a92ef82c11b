#include "tools/qlcat/QLCatProgressLine.h"

namespace {

constexpr std::chrono::milliseconds kRedraw(200);

}  // namespace

TQLCatProgressLine::~TQLCatProgressLine() {
  if (FWidth > 0) FErr << '\r' << std::string(FWidth, ' ') << '\r' << std::flush;
}

void TQLCatProgressLine::Show(int32_t Done, int32_t Count) {
  if (!FTerminal) return;
  auto now = std::chrono::steady_clock::now();
  if (FWidth > 0 && now - FLast < kRedraw) return;
  FLast = now;
  std::string line = "qlcat: " + FVerb + " " + std::to_string(Done) + "/" + std::to_string(Count) + " files";
  FErr << '\r' << line << std::flush;
  FWidth = line.size();
}
