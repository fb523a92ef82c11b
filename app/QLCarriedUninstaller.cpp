#include "app/QLCarriedUninstaller.h"

#include <windows.h>

#include <vector>

#include "archive/QLCatDec.h"
#include "archive/QLCatFormat.h"
#include "archive/QLMemoryStream.h"
#include "archive/QLZStream.h"
#include "shell/QLFileUtils.h"
#include "shell/QLWidePath.h"
#include "shell/QLWinHandles.h"

namespace {

constexpr char kUninstallerResource[] = "PQUNINST";
constexpr int32_t kWriteBlock = 64 * 1024;

// The carried archive attached to Stream and checked whole (bounds and check
// values); true when it holds exactly one entry.
bool AttachCarried(TQLMemoryStream& Stream) {
  const TQLLockedResource carried = LockRawResource(GetModuleHandleA(nullptr), kUninstallerResource,
                                                    MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!carried.Found() || carried.Size > DWORD(INT32_MAX)) return false;
  Stream.Attach(carried.Data, int32_t(carried.Size));
  try {
    int32_t count = 0, total = 0;
    if (!ReadArchiveHeader(Stream, count, total, ArchiveIdentifier) || count != 1) return false;
    Stream.Seek(0, 0);
    if (!VerifyArchive(Stream, ArchiveIdentifier, false).Ok) return false;
    Stream.Seek(kArchiveHeaderSize, 0);
    return true;
  } catch (const EQLStreamError&) {
    return false;
  }
}

// Decodes the entry at Stream's data into File; true when the zlib stream
// ended sound after exactly Size bytes and all of them were written.
bool DecodeInto(TQLMemoryStream& Stream, const TQLCatEntry& Entry, HANDLE File) {
  TQLZDecompressStream decoder(Stream, Entry.CompressedSize);
  std::vector<uint8_t> block(kWriteBlock);
  int64_t written = 0;
  for (int32_t n; (n = decoder.Read(block.data(), kWriteBlock)) > 0; written += n) {
    DWORD done = 0;
    if (!WriteFile(File, block.data(), DWORD(n), &done, nullptr) || done != DWORD(n)) return false;
  }
  return decoder.Finished() && written == Entry.UncompressedSize;
}

bool WriteEntry(TQLMemoryStream& Stream, const std::string& Dest) {
  bool sound = false;
  int32_t size = -1;
  try {
    ForEachEntry(Stream, 1, [&](const TQLCatEntryInfo& Info) {
      TQLFileHandle file(CreateFileW(WidePathOf(Dest).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
      sound = file && DecodeInto(Stream, Info.Entry, file.Get());
      size = Info.Entry.UncompressedSize;
    });
  } catch (const EQLStreamError&) {
    sound = false;
  }
  // What reached the disk is checked once the file is closed.
  return sound && FileSizeOf(Dest) == size;
}

}  // namespace

int64_t CarriedUninstallerSize() {
  TQLMemoryStream stream;
  if (!AttachCarried(stream)) return 0;
  try {
    return ReadEntryHeader(stream).UncompressedSize;
  } catch (const EQLStreamError&) {
    return 0;
  }
}

int WriteCarriedUninstaller(const std::string& Dest) {
  TQLMemoryStream stream;
  if (!AttachCarried(stream)) return cfSourceMissing;
  if (!ClearDestination(Dest)) return cfDestNotDeleted;
  if (!WriteEntry(stream, Dest)) {
    DeleteFileA(Dest.c_str());  // a part of a program is no uninstaller
    return cfCopyFailed;
  }
  GiveTimeAndAttributesOf(ProgramPathW(), Dest);
  return cfCopied;
}
