#include "app/QLSilentAnswers.h"

#include <gtest/gtest.h>

namespace {

uint16_t Answer(const std::string& Text, TMsgDlgButtons Buttons) { return SilentAnswer({Text, mtWarning, Buttons, "", false}); }

}  // namespace

TEST(SilentAnswers, DeclaredAnswersLoseNothing) {
  EXPECT_EQ(mrIgnore, Answer("Please terminate a browser at the time of Prismora installation.", mbOK | mbIgnore));
  EXPECT_EQ(mrOk, Answer("Not enough hard disk memory for install destination\rIf you force", mbOK | mbIgnore));
  EXPECT_EQ(mrOk, Answer("There is not much hard disk memory for install destination\rIs it OK?", mbOK | mbCancel));
  EXPECT_EQ(mrAll, Answer("File Cannt create:\r\rC:\\P\\A.DLL", mbOK | mbAll));
  EXPECT_EQ(mrOk, Answer("Prismora SE will be uninstalled now. Are you OK?\r\r(Please", mbOK | mbCancel));
  EXPECT_EQ(mrNo, Answer("This file has the possibility to be changed by the operation of the user.", mbYes | mbNo | mbAll));
}

TEST(SilentAnswers, UnknownQuestionsTakeTheSafeDefault) {
  EXPECT_EQ(mrReplaceAtRestart, Answer("The file cannot be extract:\r\rC:\\P\\A.DLL", mbCancel | mbRetry | mbIgnore));
  EXPECT_EQ(mrCancel, Answer("Something in the way", mbCancel | mbRetry | mbIgnore));
  EXPECT_EQ(mrNo, Answer("Something new?", mbYes | mbNo));
  EXPECT_EQ(mrOk, Answer("Failed in installing of the ActiveX plugin.", mbOK));
  EXPECT_EQ(mrOk, Answer("", mbOK));
}
