#include "tools/qlcat/QLProductFolderCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tools/qlcat/QLCatTool.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// A product folder with the four files every product has.
class ProductFolderCheck : public ::testing::Test {
protected:
  void SetUp() override {
    for (const TQLRequiredFile& file : RequiredProductFiles) WriteTextFile(Dir / ("product/" + std::string(file.Name)), "x");
    WriteTextFile(Dir / "product/Data/player.swf", "swf");
  }
  // What qlcat check says: its status and the lines on the error stream.
  std::string Refusal() {
    std::ostringstream out, err;
    EXPECT_EQ(1, RunQLCat({"check", Dir / "product"}, out, err));
    EXPECT_EQ("", out.str());
    return err.str();
  }
  TTempFolder Dir;
};

TEST_F(ProductFolderCheck, AGoodFolderGivesItsFigures) {
  WriteTextFile(Dir / "product/caf\xC3\xA9 \xE2\x82\xAC.txt", "12345");  // é and € are ANSI
  std::ostringstream out, err;
  EXPECT_EQ(0, RunQLCat({"check", Dir / "product"}, out, err)) << err.str();
  EXPECT_EQ("ok: 6 files, 12 bytes\n", out.str());
  EXPECT_EQ("", err.str());
}

TEST_F(ProductFolderCheck, AMissingOrEmptyFolderIsRefused) {
  fs::remove_all(Dir / "product");
  EXPECT_EQ("qlcat: " + Dir / "product: no such folder\n", Refusal());
  fs::create_directories(Dir / "product/empty");
  EXPECT_EQ("qlcat: " + Dir / "product: the folder holds no file\n", Refusal());
}

TEST_F(ProductFolderCheck, EachMissingRequiredFileHasItsLine) {
  fs::remove(Dir / "product/PQENGINE.EXE");
  fs::remove(Dir / "product/NPPQESE.DLL");
  fs::rename(Dir / "product/README.TXT", Dir / "product/Data/README.TXT");  // not at the top
  fs::rename(Dir / "product/AXPQENG.DLL", Dir / "product/axPqEng.dll");       // found in any case
  EXPECT_EQ("qlcat: PQENGINE.EXE: missing at the top of the folder (the runtime)\n"
            "qlcat: NPPQESE.DLL: missing at the top of the folder (the browser plug-in)\n"
            "qlcat: README.TXT: missing at the top of the folder (the read-me)\n",
            Refusal());
}

TEST_F(ProductFolderCheck, NamesTheInstallerOrWindowsWouldRefuse) {
  const std::string refused = ": a name the installer refuses (a colon, \"..\" or a device name such as CON or COM1)";
  for (const std::string name : {"a:b.txt", "CON", "Data/com1.log", "nul.txt", "LPT\xC2\xB3.txt"}) {
    SCOPED_TRACE(name);
    SetUp();
    WriteTextFile(Dir / ("product/" + name), "x");
    EXPECT_EQ("qlcat: " + name + refused + "\n", Refusal());
    fs::remove(Dir / ("product/" + name));
  }
  WriteTextFile(Dir / "product/\xCE\xB1.txt", "x");  // Greek alpha
  WriteTextFile(Dir / "product/what?.txt", "x");
  WriteTextFile(Dir / "product/Data/trailing.", "x");
  WriteTextFile(Dir / "product/readme.txt", "x");
  WriteTextFile(Dir / "product/CAF\xC3\x89.txt", "x");  // a case twin beyond ASCII
  WriteTextFile(Dir / "product/caf\xC3\xA9.txt", "x");
  WriteTextFile(Dir / "product/\xC5\x93uvre \xC3\xB7.txt", "x");  // oe; the division sign is no letter
  WriteTextFile(Dir / "product/\xC5\x92UVRE \xC3\x97.txt", "x");  // OE; the multiplication sign
  EXPECT_EQ("qlcat: Data/trailing.: a name ending in a blank or a dot, which Windows drops\n"
            "qlcat: caf\xC3\xA9.txt: the same name for Windows as CAF\xC3\x89.txt\n"
            "qlcat: readme.txt: the same name for Windows as README.TXT\n"
            "qlcat: what?.txt: a character Windows does not allow in file names\n"
            "qlcat: \xCE\xB1.txt: a character outside the ANSI code page (Windows-1252)\n",
            Refusal());
}

TEST_F(ProductFolderCheck, AFileOrATotalBeyondTheArchiveIsRefused) {
  // Sparse files: the sizes without the disk space.
  fs::resize_file(Dir / "product/Data/player.swf", uintmax_t(INT32_MAX) + 1);
  EXPECT_EQ("qlcat: Data/player.swf: 2147483648 bytes, more than the archive holds (2 GiB)\n"
            "qlcat: the files add up to 2147483652 bytes, more than the archive holds (2 GiB)\n",
            Refusal());
  fs::resize_file(Dir / "product/Data/player.swf", uintmax_t(INT32_MAX) - 1);
  EXPECT_EQ("qlcat: the files add up to 2147483650 bytes, more than the archive holds (2 GiB)\n", Refusal());
}

// A folder that passes packs its names in ANSI, as the installer reads them.
TEST_F(ProductFolderCheck, PackedNamesAreAnsi) {
  WriteTextFile(Dir / "product/caf\xC3\xA9.txt", "x");
  std::ostringstream out, err;
  ASSERT_EQ(0, RunQLCat({"pack", Dir / "product", "-o", Dir / "p.qlc"}, out, err)) << err.str();
  ASSERT_EQ(0, RunQLCat({"list", Dir / "p.qlc"}, out, err)) << err.str();
  EXPECT_NE(std::string::npos, out.str().find("\ncaf\xE9.txt\t1\t")) << out.str();
  WriteTextFile(Dir / "product/\xCE\xB1.txt", "x");
  EXPECT_EQ(1, RunQLCat({"pack", Dir / "product", "-o", Dir / "q.qlc"}, out, err));
  EXPECT_NE(std::string::npos, err.str().find("a name outside the ANSI code page (Windows-1252): \xCE\xB1.txt"));
  EXPECT_FALSE(PathExists(Dir / "q.qlc"));
}

}  // namespace
