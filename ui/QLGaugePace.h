// TQLGaugePace: paces the copying run's two gauges. The extraction reports
// thousands of times a second, each report a repaint under the window
// system; the pace keeps the latest reported values and lets the gauges
// show them at most every 20 ms, and always at the boundary of an entry, so
// what they show at the end of every entry and of the run is exact.
// Portable: it keeps values and ticks and calls no window function.
#pragma once

#include <cstdint>

struct TQLGaugeValues {
  int64_t Max = 0;
  int64_t Position = 0;
};

class TQLGaugePace {
public:
  static constexpr uint32_t kInterval = 20;  // milliseconds

  // A new run of EntryCount entries at tick Now; its first report shows.
  void Start(int32_t EntryCount, uint32_t Now);
  // Takes one report of the extraction: Overall ones count the entries'
  // boundaries (two per entry), the others an entry's bytes. True when the
  // gauges should show Overall() and Entry() now.
  bool Report(int32_t Position, int32_t Max, bool Overall, uint32_t Now);
  const TQLGaugeValues& Overall() const { return FOverall; }
  const TQLGaugeValues& Entry() const { return FEntry; }

private:
  TQLGaugeValues FOverall, FEntry;
  uint32_t FLastShown = 0;
};
