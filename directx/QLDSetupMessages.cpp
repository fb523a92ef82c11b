#include "directx/QLDSetupMessages.h"

TQLDSetupMessage DirectXSetupMessage(int32_t Code, bool Silent, const std::string& LibraryPath) {
  TQLDSetupMessage m;
  switch (Code) {
    case kDSetupSuccess:
      m.Text = "DirectX setup normal end.";
      break;
    case kDSetupSuccessRestart:
      m.Text = "DirectX setup normal end.\r\rYou must restart Windows.\rYou want to restart your computer now?";
      m.OkCancel = true;
      break;
    case kDSetupNewerVersion:
      m.Text = "The upper version of DirectX is already installed.\rDirectX was not necessary to be installed.";
      break;
    case kDSetupCannotOpen:
      m.Text = "Cannot open DirectX setup file.\r\r" + LibraryPath;
      m.Error = true;
      m.Show = true;
      return m;
    case kDSetupOutOfDiskSpace:
      m.Text = "Not enough disk space for installing DirectX.";
      m.Show = true;
      return m;
    default:
      m.Text = "DirectX setup fatal end.\r(ErrCode=" + std::to_string(Code) + ")";
      m.Error = true;
      m.Show = true;
      return m;
  }
  m.Show = !Silent;  // confirmations of success only when not silent
  return m;
}
