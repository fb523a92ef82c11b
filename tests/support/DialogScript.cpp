#include "tests/support/DialogScript.h"

TDialogScript::TDialogScript(std::vector<uint16_t> Answers) : FAnswers(std::move(Answers)) {
  SetDialogAnswerer([this](const TQLDialogRequest& R) -> uint16_t {
    Requests.push_back(R);
    if (OnAsk) OnAsk(Requests.size());
    return FNext < FAnswers.size() ? FAnswers[FNext++] : uint16_t(mrCancel);
  });
}

TDialogScript::~TDialogScript() { SetDialogAnswerer(nullptr); }
