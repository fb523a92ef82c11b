#include "ui/QLDialogs.h"

#include <windows.h>

namespace {

TQLDialogAnswerer& Answerer() {
  static TQLDialogAnswerer answerer;
  return answerer;
}

// Until the program's own dialog is built, the system's message box stands
// in, with the nearest button set it has.
uint16_t ShowStandIn(const TQLDialogRequest& R) {
  static const char* const titles[] = {"Warning", "Error", "Information", "Confirm", ""};
  static const UINT icons[] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION, 0};
  UINT type = MB_OK;
  if ((R.Buttons & (mbAbort | mbRetry | mbIgnore)) == (mbAbort | mbRetry | mbIgnore)) type = MB_ABORTRETRYIGNORE;
  else if ((R.Buttons & (mbCancel | mbRetry | mbIgnore)) == (mbCancel | mbRetry | mbIgnore)) type = MB_CANCELTRYCONTINUE;
  else if ((R.Buttons & (mbYes | mbNo | mbCancel)) == (mbYes | mbNo | mbCancel)) type = MB_YESNOCANCEL;
  else if ((R.Buttons & (mbYes | mbNo)) == (mbYes | mbNo)) type = MB_YESNO;
  else if ((R.Buttons & (mbRetry | mbCancel)) == (mbRetry | mbCancel)) type = MB_RETRYCANCEL;
  else if ((R.Buttons & (mbOK | mbCancel)) == (mbOK | mbCancel)) type = MB_OKCANCEL;
  int kind = R.Kind >= mtWarning && R.Kind <= mtCustom ? R.Kind : mtCustom;
  int answer = MessageBoxA(nullptr, R.Text.c_str(), titles[kind], type | icons[kind] | MB_TASKMODAL);
  switch (answer) {
    case IDTRYAGAIN: return mrRetry;
    case IDCONTINUE: return mrIgnore;
    case 0: return mrCancel;
    default: return uint16_t(answer);  // IDOK..IDNO share the dialog's results
  }
}

uint16_t Show(const TQLDialogRequest& R) {
  if (Answerer()) return Answerer()(R);
  return ShowStandIn(R);
}

}  // namespace

uint16_t MessageDlg(const std::string& Text, TMsgDlgType Kind, TMsgDlgButtons Buttons) {
  return Show({Text, Kind, Buttons, std::string(), false});
}

uint16_t ShowButtonDialog(const std::string& Text, TMsgDlgType Kind, TMsgDlgButtons Buttons,
                          const std::string& Spec) {
  return Show({Text, Kind, Buttons, Spec, true});
}

void SetDialogAnswerer(TQLDialogAnswerer Answerer_) { Answerer() = std::move(Answerer_); }
