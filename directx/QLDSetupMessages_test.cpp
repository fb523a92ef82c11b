#include "directx/QLDSetupMessages.h"

#include <gtest/gtest.h>

namespace {

TEST(DirectXSetupMessages, SuccessMessagesOnlyWhenNotSilent) {
  for (int32_t code : {kDSetupSuccess, kDSetupSuccessRestart, kDSetupNewerVersion}) {
    EXPECT_FALSE(DirectXSetupMessage(code, true, "").Show) << code;
    TQLDSetupMessage m = DirectXSetupMessage(code, false, "");
    EXPECT_TRUE(m.Show);
    EXPECT_FALSE(m.Error);
  }
  EXPECT_EQ("DirectX setup normal end.", DirectXSetupMessage(0, false, "").Text);
  TQLDSetupMessage restart = DirectXSetupMessage(1, false, "");
  EXPECT_EQ("DirectX setup normal end.\r\rYou must restart Windows.\rYou want to restart your computer now?",
            restart.Text);
  EXPECT_TRUE(restart.OkCancel);
  EXPECT_EQ("The upper version of DirectX is already installed.\rDirectX was not necessary to be installed.",
            DirectXSetupMessage(-14, false, "").Text);
}

TEST(DirectXSetupMessages, FailuresAlwaysShown) {
  TQLDSetupMessage open = DirectXSetupMessage(2, true, "D:\\DSETUP.DLL");
  EXPECT_TRUE(open.Show);
  EXPECT_TRUE(open.Error);
  EXPECT_EQ("Cannot open DirectX setup file.\r\rD:\\DSETUP.DLL", open.Text);
  TQLDSetupMessage disk = DirectXSetupMessage(-6, true, "");
  EXPECT_TRUE(disk.Show);
  EXPECT_FALSE(disk.Error);
  EXPECT_EQ("Not enough disk space for installing DirectX.", disk.Text);
  TQLDSetupMessage cancelled = DirectXSetupMessage(-12, true, "");
  EXPECT_TRUE(cancelled.Show);
  EXPECT_TRUE(cancelled.Error);
  EXPECT_FALSE(cancelled.OkCancel);
  EXPECT_EQ("DirectX setup fatal end.\r(ErrCode=-12)", cancelled.Text);
  EXPECT_EQ("DirectX setup fatal end.\r(ErrCode=3)", DirectXSetupMessage(3, false, "").Text);
}

}  // namespace
