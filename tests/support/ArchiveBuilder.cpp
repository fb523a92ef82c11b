#include "tests/support/ArchiveBuilder.h"

#include <zlib.h>

#include <cstring>
#include <stdexcept>

namespace {

void Put32(std::vector<uint8_t>& Out, uint32_t V) {
  for (int i = 0; i < 4; ++i) Out.push_back(uint8_t(V >> (8 * i)));
}

void PutBytes(std::vector<uint8_t>& Out, const void* Data, size_t Count) {
  const auto* p = static_cast<const uint8_t*>(Data);
  Out.insert(Out.end(), p, p + Count);
}

}  // namespace

std::string ZlibCompress(const std::string& Content, int Level) {
  uLongf size = compressBound(uLong(Content.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(Content.data()),
                uLong(Content.size()), Level) != Z_OK)
    throw std::runtime_error("compress2 failed");
  out.resize(size);
  return out;
}

std::vector<uint8_t> BuildArchive(const TTestArchive& A) {
  std::vector<uint8_t> out;
  PutBytes(out, A.TextSignature ? ArchiveTextSignature : ArchiveSignature, kSignatureSize);
  Put32(out, uint32_t(A.EntryCount.value_or(int32_t(A.Entries.size()))));
  Put32(out, uint32_t(A.Identifier));
  Put32(out, uint32_t(A.Identifier >> 32));
  int64_t total = 0;
  for (const TTestEntry& e : A.Entries) total += int64_t(e.UncompressedSize.value_or(int32_t(e.Content.size())));
  Put32(out, uint32_t(A.TotalSize.value_or(int32_t(total))));
  for (const TTestEntry& e : A.Entries) {
    std::string data = e.Data.value_or(ZlibCompress(e.Content));
    Put32(out, uint32_t(e.UncompressedSize.value_or(int32_t(e.Content.size()))));
    uint64_t bits;
    std::memcpy(&bits, &e.Date, 8);
    Put32(out, uint32_t(bits));
    Put32(out, uint32_t(bits >> 32));
    Put32(out, uint32_t(e.NameLength.value_or(int32_t(e.Name.size()))));
    PutBytes(out, e.Name.data(), e.Name.size());
    Put32(out, uint32_t(e.CompressedSize.value_or(int32_t(data.size()))));
    PutBytes(out, data.data(), data.size());
    uint32_t check = UpdateCheckValue(kCheckValueStart, reinterpret_cast<const uint8_t*>(data.data()), data.size());
    Put32(out, e.CheckValue.value_or(check));
  }
  return out;
}
