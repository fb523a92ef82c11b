// Plays the person in the demo: walks the setup program's wizard page by
// page, saving a picture of each, and answers the uninstaller's questions.
//   demodriver install SETUP.EXE SHOTS_FOLDER
//   demodriver uninstall "UNINSTALL COMMAND" SHOTS_FOLDER
// Prints what it does; exits with the driven program's exit status, or 1
// when a window it waited for did not come.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/ProcessDriver.h"
#include "tests/support/WindowDriver.h"

namespace {

int Fail(const char* What) {
  std::printf("demodriver: %s did not come\n", What);
  return 1;
}

void Shot(HWND Window, const std::string& Folder, const std::string& Name) {
  const std::string path = Folder + "\\" + Name + ".png";
  std::printf("  screenshot %s: %s\n", Name.c_str(), CaptureWindowPng(Window, path) ? "saved" : "failed");
}

bool WaitCaption(HWND Button, const char* Caption, DWORD TimeoutMs = 120000) {
  return WaitFor([&] { return WindowText(Button) == Caption && IsWindowEnabled(Button); }, TimeoutMs);
}

int Install(const std::string& Setup, const std::string& Shots) {
  TProcessDriver setup(Setup, "");
  HWND form = setup.WaitWindow("TFQLINST");
  if (!form) return Fail("the wizard");
  HWND next = FindButton(form, "Next");
  std::printf("  wizard: %s\n", WindowText(form).c_str());
  Shot(form, Shots, "1-title-page");
  Click(next);
  if (!WaitCaption(next, "&Install")) return Fail("the folder page");
  Shot(form, Shots, "2-folder-page");
  Click(next);
  if (!WaitCaption(next, "&Next")) return Fail("the end of the copying run");
  Shot(form, Shots, "3-copying-page");
  Click(next);
  if (!WaitCaption(next, "&Exit")) return Fail("the completion page");
  Shot(form, Shots, "4-complete-page");
  Click(next);
  return setup.WaitExit();
}

int Uninstall(const std::string& Command, const std::string& Shots) {
  const size_t close = Command.find('"', 1);
  const std::string program = Command.substr(1, close - 1);
  TProcessDriver uninstaller(program, Command.substr(close + 1));
  HWND question = uninstaller.WaitWindow("#32770", "Warning");
  if (!question) return Fail("the uninstall confirmation");
  Shot(question, Shots, "5-uninstall-confirmation");
  std::printf("  confirmation answered OK\n");
  Click(FindButton(question, "OK"));
  std::string text;
  if (!AnswerDialog(uninstaller, "Information", "OK", &text)) return Fail("the closing message");
  std::printf("  closing message: %s\n", text.c_str());
  return uninstaller.WaitExit();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::printf("usage: demodriver install SETUP.EXE SHOTS | uninstall \"COMMAND\" SHOTS\n");
    return 2;
  }
  CreateDirectoryA(argv[3], nullptr);
  const std::string mode = argv[1];
  const int status = mode == "install" ? Install(argv[2], argv[3]) : Uninstall(argv[2], argv[3]);
  std::printf("  exit status %d\n", status);
  return status;
}
