#include "app/QLWizardStartup.h"

#include <windows.h>

#include "app/QLArchiveCheck.h"
#include "app/QLCarriedUninstaller.h"
#include "app/QLSetupRules.h"
#include "archive/QLRESOURCE.h"
#include "archive/QLSetupArchive.h"
#include "directx/QLDSETUPP.h"
#include "directx/QLGETDXVER.h"
#include "plugin/UPluginSetup.h"
#include "shell/QLFileUtils.h"
#include "shell/QLPlatform.h"
#include "shell/QLWidePath.h"
#include "ui/QLDialogs.h"

namespace {

std::string ProfileString(const std::string& File, const char* Key) {
  char value[MAX_PATH] = {};
  GetPrivateProfileStringA("DIRECTX", Key, "", value, sizeof value, File.c_str());
  return value;
}

TQLDirectXSource DirectXSource() {
  // The DirectX step exists on 95/98/Me alone: elsewhere nothing is probed.
  const bool root = !IsNTFamily() && DSetupPresent("\\");
  const std::string config = ConfigFilePath(ProgramPath());
  const bool configExists = !root && FileExists(config);
  return DecideDirectXSource(root, configExists, configExists ? ProfileString(config, "DXSETUP") : "",
                             configExists ? ProfileString(config, "DXPATH") : "", IsNTFamily());
}

std::string SetupDataFile() {
  std::string path = ProgramPath();
  int32_t size = 0, start = 0, extra = 0;
  if (!ReadResourceTrailer(path, size, start, extra)) {
    path = WithExtension(path, ".DAT");
    ReadResourceTrailer(path, size, start, extra);
  }
  return path;
}

}  // namespace

TQLSetupInfo GatherSetupInfo(TQLArchiveCheck& Check) {
  TQLSetupInfo info;
  const TQLDirectXSource dx = DirectXSource();
  info.DirectXSetupEnabled = dx.Enabled;
  info.DirectXSetupPath = dx.Path;
  info.DirectXVersion = DetectDirectXVersion();
  info.IEVersion = InternetExplorerVersion();
  std::string programFiles = GetProgramFilesFolder();
  if (!programFiles.empty() && programFiles.back() == '\\') programFiles.pop_back();  // a drive root
  info.DefaultFolder = programFiles + "\\Prismora 1.0 SE";
  info.Caption = SetupCaption(GetProductVersionText(), IsNTFamily());
  info.DataFilePath = SetupDataFile();
  const TQLArchiveCatalogue& catalogue = Check.Catalogue();
  info.FileCount = catalogue.EntryCount;
  info.LongestEntryName = catalogue.LongestName;
  // Without a sound uninstaller to write, the installation could not be
  // removed: such a program installs nothing, like one without its archive.
  const int64_t uninstallerSize = CarriedUninstallerSize();
  if (catalogue.Accepted && catalogue.TotalSize != 0 && uninstallerSize != 0) {
    info.InstallSize = catalogue.TotalSize;
    const int32_t dataSize = FileSizeOf(info.DataFilePath);
    if (dataSize > 0) info.InstallSize += dataSize;
    info.InstallSize += uninstallerSize;  // the uninstaller needs room too
  }
  return info;
}

int64_t DestinationFreeSpace(const TQLWideText& Folder) {
  // The root's extent is found on a stand-in text (separators and colons are
  // ASCII); the root itself keeps the folder's characters.
  std::string shape;
  for (wchar_t c : Folder) shape += c < 0x80 ? char(c) : 'x';
  const size_t length = FolderRootLength(shape);
  TQLWideText root(Folder.data(), length);
  root += L'\\';
  const UINT type = length == 0 ? DRIVE_NO_ROOT_DIR : GetDriveTypeW(root.c_str());
  if (type != DRIVE_REMOVABLE && type != DRIVE_FIXED && type != DRIVE_REMOTE && type != DRIVE_RAMDISK) return 0;
  // The free space is asked of the root itself, so a share reports its own.
  ULARGE_INTEGER available{}, total{}, free{};
  return GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free) ? int64_t(available.QuadPart) : -1;
}

int64_t DestinationFreeSpace(const std::string& Folder) { return DestinationFreeSpace(WidePathOf(Folder)); }

bool DiskSpaceAccepted(int64_t FreeSpace, int64_t InstallSize) {
  switch (DiskQuestion(FreeSpace, InstallSize)) {
    case TQLDiskQuestion::NotEnough:
      return MessageDlg("Not enough hard disk memory for install destination\rIf you force the installation, it may "
                        "fail.",
                        mtError, mbOK | mbIgnore) != mrOk;
    case TQLDiskQuestion::NotMuch:
      return MessageDlg("There is not much hard disk memory for install destination\rIs it OK?", mtWarning,
                        mbOK | mbCancel) == mrOk;
    case TQLDiskQuestion::None:
      break;
  }
  return true;
}
