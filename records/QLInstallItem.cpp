#include "records/QLInstallItem.h"

#include <cstring>

#include "archive/QLNumberText.h"

std::string InstallItemGroupKey(int32_t Index) {
  return HexText(uint32_t(Index / kItemsPerGroup), 2);
}

std::string InstallItemValueName(int32_t Index) {
  return "App" + HexText(uint32_t(Index), 8);
}

std::vector<uint8_t> EncodeInstallItem(const TQLInstallItem& Item) {
  std::vector<uint8_t> record(kItemRecordHeader + Item.Path.size(), 0);
  std::memcpy(record.data(), &Item.Time, 8);
  for (int i = 0; i < 4; ++i) record[size_t(8 + i)] = uint8_t(uint32_t(Item.Size) >> (8 * i));
  std::memcpy(record.data() + kItemRecordHeader, Item.Path.data(), Item.Path.size());
  return record;
}

TQLInstallItem DecodeInstallItem(const std::vector<uint8_t>& Record) {
  std::vector<uint8_t> fixed(Record);
  if (fixed.size() < kItemRecordHeader) fixed.resize(kItemRecordHeader, 0);
  TQLInstallItem item;
  std::memcpy(&item.Time, fixed.data(), 8);
  item.Size = int32_t(uint32_t(fixed[8]) | uint32_t(fixed[9]) << 8 | uint32_t(fixed[10]) << 16 |
                      uint32_t(fixed[11]) << 24);
  for (size_t i = kItemRecordHeader; i < fixed.size(); ++i)
    if (fixed[i] != 0) item.Path += char(fixed[i]);
  return item;
}

namespace {

std::string DateText(TDateTime D, const std::string& Separator) {
  TQLDateFields f = DecodeDateTime(D);
  return DecimalText(f.Year, 4) + Separator + DecimalText(f.Month, 2) + Separator + DecimalText(f.Day, 2);
}

}  // namespace

std::string ChangedFileQuestion(const TQLInstallItem& Recorded, TDateTime CurrentTime, int32_t CurrentSize,
                                const std::string& DateSeparator) {
  return "This file has the possibility to be changed by the operation of the user.\rStill, Do you delete "
         "it?\r\rfile name: " +
         Recorded.Path + "\r" + "Install time: " + "Date: " + DateText(Recorded.Time, DateSeparator) +
         " Size:" + std::to_string(Recorded.Size) + "\r" + "Present time:         " + "Date: " +
         DateText(CurrentTime, DateSeparator) + " Size:" + std::to_string(CurrentSize);
}
