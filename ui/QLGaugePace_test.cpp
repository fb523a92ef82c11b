#include "ui/QLGaugePace.h"

#include <gtest/gtest.h>

namespace {

TEST(GaugePace, ShowsAnEntrysBytesAtMostEvery20Milliseconds) {
  TQLGaugePace pace;
  pace.Start(3, 1000);
  EXPECT_TRUE(pace.Report(0, 4096, false, 1000));
  EXPECT_FALSE(pace.Report(1024, 4096, false, 1005));
  EXPECT_FALSE(pace.Report(2048, 4096, false, 1019));
  EXPECT_EQ(2048, pace.Entry().Position);  // kept, not yet shown
  EXPECT_TRUE(pace.Report(3072, 4096, false, 1020));
  EXPECT_EQ(3072, pace.Entry().Position);
  EXPECT_EQ(4096, pace.Entry().Max);
  EXPECT_FALSE(pace.Report(4096, 4096, false, 1021));
}

TEST(GaugePace, ShowsExactValuesAtEveryEntryBoundary) {
  TQLGaugePace pace;
  pace.Start(2, 50);
  EXPECT_TRUE(pace.Report(1, 2, true, 50));
  EXPECT_FALSE(pace.Report(100, 4096, false, 51));  // hidden by the pace, shown right at the end
  EXPECT_FALSE(pace.Report(4096, 4096, false, 52));
  EXPECT_TRUE(pace.Report(2, 2, true, 53));
  EXPECT_EQ(4096, pace.Entry().Position);
  EXPECT_EQ(4096, pace.Entry().Max);
  EXPECT_EQ(2, pace.Overall().Position);
  EXPECT_EQ(4, pace.Overall().Max);
  EXPECT_TRUE(pace.Report(3, 2, true, 53));
  EXPECT_TRUE(pace.Report(4, 2, true, 54));
  EXPECT_EQ(4, pace.Overall().Position);  // the run's end: full
  // The entry reports right after a boundary wait for the next interval.
  EXPECT_FALSE(pace.Report(0, 10, false, 60));
}

TEST(GaugePace, KeepsPaceWhenTheTickCounterWraps) {
  TQLGaugePace pace;
  pace.Start(1, 0xFFFFFFF0u);
  EXPECT_TRUE(pace.Report(0, 10, false, 0xFFFFFFF0u));
  EXPECT_FALSE(pace.Report(5, 10, false, 0xFFFFFFFFu));
  EXPECT_TRUE(pace.Report(6, 10, false, 4));  // 20 ms after, past the wrap
  // A new run starts from nothing.
  pace.Start(5, 100);
  EXPECT_EQ(0, pace.Overall().Position);
  EXPECT_EQ(10, pace.Overall().Max);
  EXPECT_EQ(0, pace.Entry().Max);
}

}  // namespace
