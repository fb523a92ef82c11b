#include "tools/qlcat/QLImageAlign.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t kPe32Magic = 0x10b;
constexpr uint32_t kFileAlignmentOffset = 36, kHeadersSizeOffset = 60, kChecksumOffset = 64, kDirectoryCountOffset = 92;
constexpr uint32_t kDebugDirectory = 6, kSecurityDirectory = 4, kMaxDirectories = 16;
constexpr size_t kSectionHeaderSize = 40, kRawSizeOffset = 16, kRawPointerOffset = 20;

uint16_t Read16(const std::vector<uint8_t>& B, size_t At) { return uint16_t(B[At] | B[At + 1] << 8); }
uint32_t Read32(const std::vector<uint8_t>& B, size_t At) { return uint32_t(Read16(B, At)) | uint32_t(Read16(B, At + 2)) << 16; }
void Write32(std::vector<uint8_t>& B, size_t At, uint32_t V) {
  for (int i = 0; i < 4; ++i) B[At + size_t(i)] = uint8_t(V >> (8 * i));
}

struct TImageHeaders {
  size_t Optional = 0;  // the optional header's offset
  size_t Sections = 0;  // the section table's offset
  uint16_t SectionCount = 0;
  uint32_t FileAlignment = 0, DirectoryCount = 0;
  size_t HeadersEnd = 0;  // the first byte no header may hold
};

TQLImageAlignResult Refused(std::string Why) {
  TQLImageAlignResult r;
  r.Error = std::move(Why);
  return r;
}

bool ReadHeaders(const std::vector<uint8_t>& B, TImageHeaders& H, std::string& Error) {
  if (B.size() < 0x40 || B[0] != 'M' || B[1] != 'Z') return Error = "not a Windows program", false;
  const size_t pe = Read32(B, 0x3c);
  if (pe > B.size() || B.size() - pe < 24 || std::memcmp(&B[pe], "PE\0\0", 4) != 0)
    return Error = "not a Windows program", false;
  H.SectionCount = Read16(B, pe + 6);
  const size_t optionalSize = Read16(B, pe + 20);
  H.Optional = pe + 24;
  H.Sections = H.Optional + optionalSize;
  if (optionalSize < kDirectoryCountOffset + 4 || B.size() < H.Sections + size_t(H.SectionCount) * kSectionHeaderSize)
    return Error = "the program's headers are cut short", false;
  if (Read16(B, H.Optional) != kPe32Magic) return Error = "not a 32-bit Windows program", false;
  H.FileAlignment = Read32(B, H.Optional + kFileAlignmentOffset);
  H.HeadersEnd = std::max<size_t>(H.Sections + size_t(H.SectionCount) * kSectionHeaderSize,
                                  Read32(B, H.Optional + kHeadersSizeOffset));
  H.DirectoryCount = Read32(B, H.Optional + kDirectoryCountOffset);
  if (H.DirectoryCount > kMaxDirectories || optionalSize < kDirectoryCountOffset + 4 + H.DirectoryCount * 8)
    return Error = "the program's headers are cut short", false;
  if (H.FileAlignment == 0 || (H.FileAlignment & (H.FileAlignment - 1)) != 0)
    return Error = "the program's file alignment is not a power of two", false;
  return true;
}

bool HasDirectory(const std::vector<uint8_t>& B, const TImageHeaders& H, uint32_t Index) {
  return Index < H.DirectoryCount && Read32(B, H.Optional + kDirectoryCountOffset + 4 + Index * 8 + 4) != 0;
}

size_t SectionHeader(const TImageHeaders& H, int Index) { return H.Sections + size_t(Index) * kSectionHeaderSize; }

}  // namespace

uint32_t ImageChecksum(const std::vector<uint8_t>& Image, size_t ChecksumOffset) {
  uint64_t sum = 0;
  for (size_t at = 0; at < Image.size(); at += 2) {
    if (at == ChecksumOffset || at == ChecksumOffset + 2) continue;
    sum += at + 1 < Image.size() ? Read16(Image, at) : Image[at];
    sum = (sum & 0xffff) + (sum >> 16);
  }
  sum = (sum & 0xffff) + (sum >> 16);
  return uint32_t(sum + Image.size());
}

TQLImageAlignResult AlignResourceSection(std::vector<uint8_t>& Image, uint32_t Alignment) {
  TImageHeaders h;
  std::string error;
  if (Alignment == 0 || (Alignment & (Alignment - 1)) != 0) return Refused("the alignment must be a power of two");
  if (!ReadHeaders(Image, h, error)) return Refused(error);
  // A signature covers the file's bytes and debugging data is found by file
  // offsets: either would be broken by moving data.
  if (HasDirectory(Image, h, kSecurityDirectory)) return Refused("the program is signed; align it before signing");
  if (HasDirectory(Image, h, kDebugDirectory)) return Refused("the program carries debugging data");
  int resource = -1;
  for (int i = 0; i < h.SectionCount; ++i) {
    const size_t s = SectionHeader(h, i);
    const uint32_t raw = Read32(Image, s + kRawPointerOffset), size = Read32(Image, s + kRawSizeOffset);
    if (size != 0 && (raw > Image.size() || Image.size() - raw < size))
      return Refused("a section lies beyond the end of the program");
    if (std::memcmp(&Image[s], ".rsrc\0\0\0", 8) == 0) resource = i;
  }
  if (resource < 0) return Refused("the program has no resource section");
  TQLImageAlignResult result;
  result.Ok = true;
  // An empty resource section has no data in the file to move.
  if (Read32(Image, SectionHeader(h, resource) + kRawSizeOffset) == 0) return result;
  const uint32_t start = Read32(Image, SectionHeader(h, resource) + kRawPointerOffset);
  if (start < h.HeadersEnd) return Refused("the program's resource section starts inside its headers");
  for (int i = 0; i < h.SectionCount; ++i) {
    const size_t s = SectionHeader(h, i);
    const uint32_t raw = Read32(Image, s + kRawPointerOffset), size = Read32(Image, s + kRawSizeOffset);
    if (size != 0 && raw < start && raw + size > start) return Refused("the program's sections overlap");
  }
  const uint32_t padding = (Alignment - start % Alignment) % Alignment;
  if (padding % h.FileAlignment != 0) return Refused("the program's file alignment does not divide the page size");
  result.Padding = padding;
  if (padding == 0) return result;
  for (int i = 0; i < h.SectionCount; ++i) {
    const size_t s = SectionHeader(h, i);
    const uint32_t raw = Read32(Image, s + kRawPointerOffset);
    if (Read32(Image, s + kRawSizeOffset) != 0 && raw >= start) Write32(Image, s + kRawPointerOffset, raw + padding);
  }
  Image.insert(Image.begin() + start, padding, 0);
  if (Read32(Image, h.Optional + kChecksumOffset) != 0)
    Write32(Image, h.Optional + kChecksumOffset, ImageChecksum(Image, h.Optional + kChecksumOffset));
  return result;
}
