// Fuzz target: the install item record as read back from the registry,
// where other programs or a damaged hive may have changed it. The decoded
// item must encode and decode to itself, and the changed-file question must
// be made from any record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "records/QLInstallItem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::vector<uint8_t> record(Data, Data + Size);
  TQLInstallItem item = DecodeInstallItem(record);
  TQLInstallItem again = DecodeInstallItem(EncodeInstallItem(item));
  if (std::memcmp(&again.Time, &item.Time, sizeof item.Time) != 0 || again.Size != item.Size ||
      again.Path != item.Path)
    std::abort();
  if (item.Path.find('\0') != std::string::npos) std::abort();
  ChangedFileQuestion(item, item.Time, item.Size, item.Path.substr(0, 4));
  int32_t index = item.Size;
  if (index >= 0 && InstallItemGroupKey(index).empty()) std::abort();
  if (InstallItemValueName(index).size() != 11) std::abort();
  return 0;
}
