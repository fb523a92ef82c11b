#include "shell/QLFolderListing.h"

#include <windows.h>

#include "shell/QLFileUtils.h"
#include "shell/QLWinHandles.h"

namespace {

std::string UpperCase(std::string Text) {
  if (!Text.empty()) CharUpperBuffA(&Text[0], DWORD(Text.size()));
  return Text;
}

}  // namespace

const TQLFolderListings::TListing& TQLFolderListings::ListingOf(const std::string& Folder) {
  const std::string key = UpperCase(Folder);
  auto found = FFolders.find(key);
  if (found != FFolders.end()) return found->second;
  TListing& listing = FFolders[key];
  WIN32_FIND_DATAA entry;
  TQLFindHandle find(FindFirstFileExA((Folder + "\\*").c_str(), FindExInfoStandard, &entry, FindExSearchNameMatch,
                                      nullptr, 0));
  if (!find) return listing;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const TQLListedFile file{entry.dwFileAttributes, int32_t(entry.nFileSizeLow), DosDateTimeOf(entry.ftLastWriteTime)};
    listing[UpperCase(entry.cFileName)] = file;
    if (entry.cAlternateFileName[0]) listing.emplace(UpperCase(entry.cAlternateFileName), file);
  } while (FindNextFileA(find.Get(), &entry));
  return listing;
}

std::optional<TQLListedFile> TQLFolderListings::Find(const std::string& Path) {
  const size_t slash = Path.rfind('\\');
  if (slash == std::string::npos || slash + 1 == Path.size()) return std::nullopt;
  const TListing& listing = ListingOf(Path.substr(0, slash));
  auto found = listing.find(UpperCase(Path.substr(slash + 1)));
  if (found == listing.end()) return std::nullopt;
  return found->second;
}
