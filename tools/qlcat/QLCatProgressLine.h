// qlcat's progress line: "qlcat: pack 120/2000 files" on the error stream of
// a terminal, redrawn at most five times a second and wiped when done.
// Shows nothing when the stream is not a terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

class TQLCatProgressLine {
public:
  TQLCatProgressLine(std::ostream& Err, bool Terminal, std::string Verb)
      : FErr(Err), FTerminal(Terminal), FVerb(std::move(Verb)) {}
  ~TQLCatProgressLine();
  TQLCatProgressLine(const TQLCatProgressLine&) = delete;
  TQLCatProgressLine& operator=(const TQLCatProgressLine&) = delete;

  void Show(int32_t Done, int32_t Count);

private:
  std::ostream& FErr;
  bool FTerminal;
  std::string FVerb;
  std::chrono::steady_clock::time_point FLast{};
  size_t FWidth = 0;  // of the line on screen
};
