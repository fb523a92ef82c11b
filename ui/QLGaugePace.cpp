#include "ui/QLGaugePace.h"

void TQLGaugePace::Start(int32_t EntryCount, uint32_t Now) {
  FOverall = {2 * int64_t(EntryCount), 0};
  FEntry = {};
  FLastShown = Now - kInterval;
}

bool TQLGaugePace::Report(int32_t Position, int32_t Max, bool Overall, uint32_t Now) {
  if (Overall) {
    // An entry begins or ends: the values shown there are exact.
    ++FOverall.Position;
    FLastShown = Now;
    return true;
  }
  FEntry = {Max, Position};
  // Unsigned ticks: the difference stays right when the counter wraps.
  if (Now - FLastShown < kInterval) return false;
  FLastShown = Now;
  return true;
}
