#include "tools/qlcat/QLImageAlign.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/support/TempFolder.h"
#include "tools/qlcat/QLCatTool.h"

namespace {

constexpr size_t kPe = 0x40, kOptional = kPe + 24, kSections = kOptional + 224, kChecksum = kOptional + 64;

void Put32(std::vector<uint8_t>& B, size_t At, uint32_t V) {
  for (int i = 0; i < 4; ++i) B[At + size_t(i)] = uint8_t(V >> (8 * i));
}
uint32_t Get32(const std::vector<uint8_t>& B, size_t At) {
  return uint32_t(B[At]) | uint32_t(B[At + 1]) << 8 | uint32_t(B[At + 2]) << 16 | uint32_t(B[At + 3]) << 24;
}

struct TSection {
  const char* Name;
  uint32_t Raw, Size;
  uint8_t Fill;
};

// A 32-bit program as the linker lays it out: headers, sections at the
// file alignment of 512 bytes, and a few bytes after the last section.
std::vector<uint8_t> Program(const std::vector<TSection>& Sections = {{".text", 0x400, 0x200, 0x11},
                                                                      {".rsrc", 0x600, 0x400, 0x22},
                                                                      {".reloc", 0xa00, 0x200, 0x33}}) {
  std::vector<uint8_t> b(0xc00, 0);
  b[0] = 'M', b[1] = 'Z';
  Put32(b, 0x3c, kPe);
  b[kPe] = 'P', b[kPe + 1] = 'E';
  b[kPe + 4] = 0x4c, b[kPe + 5] = 0x01;
  b[kPe + 6] = uint8_t(Sections.size());
  b[kPe + 20] = 224;
  b[kOptional] = 0x0b, b[kOptional + 1] = 0x01;
  Put32(b, kOptional + 36, 0x200);
  Put32(b, kChecksum, 1);
  Put32(b, kOptional + 92, 16);
  for (size_t i = 0; i < Sections.size(); ++i) {
    const size_t h = kSections + 40 * i;
    std::copy(Sections[i].Name, Sections[i].Name + std::string(Sections[i].Name).size(), b.begin() + long(h));
    Put32(b, h + 16, Sections[i].Size);
    Put32(b, h + 20, Sections[i].Raw);
    if (Sections[i].Raw + Sections[i].Size <= b.size())
      std::fill_n(b.begin() + long(Sections[i].Raw), Sections[i].Size, Sections[i].Fill);
  }
  for (uint8_t c : {'t', 'a', 'i', 'l'}) b.push_back(c);
  return b;
}

uint32_t RawPointer(const std::vector<uint8_t>& B, int Section) { return Get32(B, kSections + 40 * size_t(Section) + 20); }

std::vector<uint8_t> Filled(size_t Size, uint8_t Value) { return std::vector<uint8_t>(Size, Value); }
std::vector<uint8_t> Bytes(const std::vector<uint8_t>& B, size_t From, size_t Size) {
  return std::vector<uint8_t>(B.begin() + long(From), B.begin() + long(From + Size));
}

TEST(QLImageAlign, MovesTheResourcesAndWhatFollowsToAPageKeepingEveryByte) {
  std::vector<uint8_t> image = Program();
  const TQLImageAlignResult r = AlignResourceSection(image);
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_EQ(0xa00u, r.Padding);
  EXPECT_EQ((std::vector<uint32_t>{0x400, 0x1000, 0x1400}),
            (std::vector<uint32_t>{RawPointer(image, 0), RawPointer(image, 1), RawPointer(image, 2)}));
  ASSERT_EQ(0xc04u + 0xa00u, image.size());
  EXPECT_EQ(Filled(0x200, 0x11), Bytes(image, 0x400, 0x200));
  EXPECT_EQ(Filled(0xa00, 0), Bytes(image, 0x600, 0xa00));
  EXPECT_EQ(Filled(0x400, 0x22), Bytes(image, 0x1000, 0x400));
  EXPECT_EQ(Filled(0x200, 0x33), Bytes(image, 0x1400, 0x200));
  EXPECT_EQ("tail", std::string(image.end() - 4, image.end()));
  EXPECT_EQ(ImageChecksum(image, kChecksum), Get32(image, kChecksum));

  // Once aligned, aligning again changes nothing.
  const std::vector<uint8_t> aligned = image;
  EXPECT_EQ(0u, AlignResourceSection(image).Padding);
  EXPECT_EQ(aligned, image);
}

TEST(QLImageAlign, ChecksumFoldsItsCarriesAndCountsTheLength) {
  // 0x0001 + 0xffff carries into 0x10000, folded to 1; an odd last byte
  // counts alone; the four bytes of the checksum field are skipped.
  EXPECT_EQ(1u + 4u, ImageChecksum({0x01, 0x00, 0xff, 0xff}, 100));
  EXPECT_EQ(0x0201u + 0x05u + 3u, ImageChecksum({0x01, 0x02, 0x05}, 100));
  EXPECT_EQ(0x0201u + 0x03u + 8u, ImageChecksum({0x01, 0x02, 0xff, 0xff, 0xff, 0xff, 0x03, 0x00}, 2));
}

TEST(QLImageAlign, RefusesWhatItCannotMoveSafelyAndLeavesItAsItWas) {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> cases;
  cases.emplace_back("not a Windows program", std::vector<uint8_t>{'M', 'Z', 0, 0});
  std::vector<uint8_t> signedProgram = Program();
  Put32(signedProgram, kOptional + 96 + 4 * 8, 0xc00);
  Put32(signedProgram, kOptional + 96 + 4 * 8 + 4, 4);
  cases.emplace_back("signed", signedProgram);
  cases.emplace_back("beyond the end", Program({{".text", 0x400, 0x200, 1}, {".rsrc", 0x600, 0x4000, 2}}));
  cases.emplace_back("no resource section", Program({{".text", 0x400, 0x200, 1}, {".data", 0x600, 0x200, 2}}));
  cases.emplace_back("overlap", Program({{".text", 0x400, 0x400, 1}, {".rsrc", 0x600, 0x200, 2}}));
  std::vector<uint8_t> unaligned = Program();
  Put32(unaligned, kOptional + 36, 0);
  cases.emplace_back("file alignment is not a power of two", unaligned);
  std::vector<uint8_t> cut = Program();
  cut.resize(kSections + 40);
  cases.emplace_back("cut short", cut);
  cases.emplace_back("inside its headers", Program({{".rsrc", 0x20, 0x10, 0}, {".text", 0x400, 0x200, 1}}));
  for (auto& [why, image] : cases) {
    const std::vector<uint8_t> before = image;
    const TQLImageAlignResult r = AlignResourceSection(image);
    EXPECT_FALSE(r.Ok) << why;
    EXPECT_NE(std::string::npos, r.Error.find(why)) << r.Error;
    EXPECT_EQ(before, image) << why;
  }
}

// An empty resource section has nothing in the file to move, wherever its
// file offset points, inside the file or beyond its end.
TEST(QLImageAlign, AnEmptyResourceSectionIsLeftAsItIs) {
  for (uint32_t raw : {0x600u, 0xc00u, 0x10000u}) {
    std::vector<uint8_t> image = Program({{".text", 0x400, 0x200, 1}, {".rsrc", raw, 0, 2}, {".reloc", 0x600, 0x200, 3}});
    const std::vector<uint8_t> before = image;
    const TQLImageAlignResult r = AlignResourceSection(image);
    EXPECT_TRUE(r.Ok) << r.Error;
    EXPECT_EQ(0u, r.Padding);
    EXPECT_EQ(before, image);
  }
}

std::vector<uint8_t> FileBytes(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(QLImageAlign, QLCatAlignRewritesTheProgramOrLeavesItUntouched) {
  TTempFolder dir;
  const std::string program = dir / "setup.exe", text = dir / "notes.txt";
  const std::vector<uint8_t> original = Program();
  std::ofstream(program, std::ios::binary).write(reinterpret_cast<const char*>(original.data()), long(original.size()));
  std::ofstream(text) << "not a program";
  std::ostringstream out, err;
  EXPECT_EQ(0, RunQLCat({"align", program}, out, err)) << err.str();
  EXPECT_EQ("aligned: 2560 bytes before the resources\n", out.str());
  std::vector<uint8_t> expected = original;
  AlignResourceSection(expected);
  EXPECT_EQ(expected, FileBytes(program));

  std::ostringstream out2, err2;
  EXPECT_EQ(1, RunQLCat({"align", text}, out2, err2));
  EXPECT_EQ("qlcat: " + text + ": not a Windows program\n", err2.str());
  const std::vector<uint8_t> kept = FileBytes(text);
  EXPECT_EQ("not a program", std::string(kept.begin(), kept.end()));
  EXPECT_EQ(1, RunQLCat({"align", dir / "missing.exe"}, out2, err2));
}

}  // namespace
