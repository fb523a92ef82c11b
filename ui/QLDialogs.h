// The one entry point for every message and question of the program: the
// standard message dialog and ShowButtonDialog with its button
// specification. Tests replace the person with a scripted answerer
// (SetDialogAnswerer), which sees every request with its exact text.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum TMsgDlgType : int { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3, mtCustom = 4 };

// The button set: bit positions in the dialog's fixed button order.
using TMsgDlgButtons = uint16_t;
enum : TMsgDlgButtons {
  mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8, mbAbort = 16, mbRetry = 32,
  mbIgnore = 64, mbAll = 128, mbNoToAll = 256, mbYesToAll = 512, mbHelp = 1024
};

// Results of the buttons; 2 also when the window is closed by its title bar.
enum : uint16_t {
  mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
  mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10, mrRelabelledHelp = 11,
  // A declared answer no button gives: a file in use is replaced at the
  // next start of Windows (the silent run's answer).
  mrReplaceAtRestart = 12
};

struct TQLDialogRequest {
  std::string Text;
  TMsgDlgType Kind = mtInformation;
  TMsgDlgButtons Buttons = mbOK;
  std::string ButtonSpec;           // button specification; empty for MessageDlg
  bool ButtonDialog = false;  // ShowButtonDialog rather than the standard dialog
};

// The standard message dialog, shown unchanged.
uint16_t MessageDlg(const std::string& Text, TMsgDlgType Kind, TMsgDlgButtons Buttons);

// The standard dialog adjusted by a button specification ("IGNORE|Continue").
uint16_t ShowButtonDialog(const std::string& Text, TMsgDlgType Kind, TMsgDlgButtons Buttons,
                          const std::string& ButtonSpec);

// Replaces the person for tests; an empty function restores the real dialog.
using TQLDialogAnswerer = std::function<uint16_t(const TQLDialogRequest&)>;
void SetDialogAnswerer(TQLDialogAnswerer Answerer);

// Control identifiers of the dialog window: the icon, the word-wrapping
// message label and the buttons (base + position in the fixed button order).
enum : int { QLDialogIconId = 90, QLDialogMessageId = 91, QLDialogButtonIdBase = 100 };
