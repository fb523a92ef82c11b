#include "app/QLInstallTransaction.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "records/QLInstallRegistory.h"
#include "records/QLKeptItems.h"
#include "shell/QLRegistry.h"
#include "tests/support/TempFolder.h"

namespace {

size_t KeptValues() {
  TQLRegistry info(HKEY_LOCAL_MACHINE);
  if (!info.OpenKeyReadOnly(kUninstallInfoKey)) return 0;
  size_t kept = 0;
  for (const std::string& name : info.GetValueNames()) kept += name.rfind("Kept", 0) == 0;
  return kept;
}

class InstallTransaction : public ::testing::Test {
protected:
  void SetUp() override { TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kProductKey); }
  void TearDown() override { TQLRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kProductKey); }
  TTempFolder Dir;
};

// A file listed in the way that is gone before the run moves it aside was
// never kept: the uninstall is not told to put it back. The user's file
// that was moved aside is, and comes back.
TEST_F(InstallTransaction, OnlyWhatWasMovedAsideIsKeptForTheUninstall) {
  const std::string app = Dir / "Prismora";
  WriteTextFile(app + "\\README.TXT", "the user's own");
  {
    TQLInstallTransaction run(app);
    ASSERT_TRUE(run.KeepFile(app + "\\README.TXT", false));
    ASSERT_TRUE(run.KeepFile(app + "\\GONE.TXT", false));  // listed, then removed by someone else
    EXPECT_FALSE(PathExists(app + "\\README.TXT"));
    run.Commit();
  }
  EXPECT_EQ(1u, KeptValues());
  EXPECT_TRUE(RestoreKeptForLifetime({app}).empty());
  EXPECT_EQ("the user's own", ReadTextFile(app + "\\README.TXT"));
  EXPECT_FALSE(PathExists(app + "\\GONE.TXT"));
  EXPECT_EQ(0u, KeptValues());
}

}  // namespace
