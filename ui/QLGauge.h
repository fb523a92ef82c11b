// TQLGauge: a horizontal bar gauge that shows how far a task has come, with
// its percentage written in the middle. Owns its window; UI thread only.
#pragma once

#include <windows.h>

#include <cstdint>

class TQLGauge {
public:
  TQLGauge(HWND Parent, const RECT& Bounds);
  ~TQLGauge();
  TQLGauge(const TQLGauge&) = delete;
  TQLGauge& operator=(const TQLGauge&) = delete;

  HWND Handle() const { return FHandle; }
  int64_t MaxValue() const { return FMax; }
  int64_t Progress() const { return FProgress; }
  void SetMaxValue(int64_t Value);
  void SetProgress(int64_t Value);
  // 0 to 100; 0 while the maximum is 0 or less.
  int Percent() const;

private:
  static LRESULT CALLBACK WindowProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
  void Paint(HDC DC) const;
  void Change(int64_t Max, int64_t Progress);
  int FilledWidth(int Width) const;

  HWND FHandle = nullptr;
  int64_t FMax = 100;
  int64_t FProgress = 0;
};
