// Test support (Windows): stands in for the person at the message dialog.
// While it lives, every dialog the program shows is answered from the
// script, in order (Cancel once the script runs out), and kept for checks.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "ui/QLDialogs.h"

class TDialogScript {
public:
  explicit TDialogScript(std::vector<uint16_t> Answers);
  ~TDialogScript();
  TDialogScript(const TDialogScript&) = delete;
  TDialogScript& operator=(const TDialogScript&) = delete;

  std::vector<TQLDialogRequest> Requests;
  // Called with the number of requests so far, before each answer.
  std::function<void(size_t Asked)> OnAsk;

private:
  std::vector<uint16_t> FAnswers;
  size_t FNext = 0;
};
