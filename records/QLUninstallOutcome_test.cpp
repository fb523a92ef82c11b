#include "records/QLUninstallOutcome.h"

#include <gtest/gtest.h>

namespace {

TEST(UninstallOutcome, OnlyWhatStaysForAnotherReasonMakesItIncomplete) {
  TQLUninstallOutcome outcome;
  EXPECT_FALSE(outcome.Incomplete());
  outcome.Queued.push_back("C:\\App\\held.dll");
  EXPECT_FALSE(outcome.Incomplete());
  EXPECT_TRUE(outcome.LeftForRestart());
  for (auto list : {&TQLUninstallOutcome::Outside, &TQLUninstallOutcome::Stuck, &TQLUninstallOutcome::Damaged}) {
    TQLUninstallOutcome other;
    (other.*list).push_back("x");
    EXPECT_TRUE(other.Incomplete());
    TQLUninstallOutcome sum = outcome;
    sum.Add(other);
    EXPECT_TRUE(sum.Incomplete());
    EXPECT_EQ(1u, sum.Queued.size());
  }
}

TEST(UninstallOutcome, TheTextNamesEachItemWithItsReason) {
  TQLUninstallOutcome outcome;
  outcome.Outside = {"C:\\Users\\Ann\\Documents\\important.dll"};
  outcome.Stuck = {"C:\\App\\locked.dll"};
  outcome.Damaged = {"Invalid data type for 'App00000001'"};
  EXPECT_EQ("Uninstallation was not completed.\r\n\r\nThese items of Prismora SE remain:\r\n"
            "C:\\Users\\Ann\\Documents\\important.dll (outside the installation folder, left alone)\r\n"
            "C:\\App\\locked.dll (could not be deleted)\r\n"
            "Invalid data type for 'App00000001' (the record cannot be read; its file stays)",
            IncompleteUninstallText(outcome, false));
  for (int i = 0; i < 3; ++i) outcome.Stuck.push_back("C:\\App\\more" + std::to_string(i));
  const std::string text = IncompleteUninstallText(outcome, true, 4);
  EXPECT_NE(std::string::npos, text.find("C:\\App\\more1 (could not be deleted)\r\nand 2 more\r\n\r\nWhen Windows"));
  EXPECT_EQ(std::string::npos, text.find("more2"));
}

}  // namespace
