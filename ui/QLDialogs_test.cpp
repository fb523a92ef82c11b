#include "ui/QLDialogs.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "tests/support/WindowDriver.h"

namespace {

const std::string ShotDir = QL_SCREENSHOT_DIR;

struct TQLSeenDialog {
  std::string Title;
  bool HasIcon = false;
  std::string Message;
  RECT MessageRect{};
  std::vector<TQLChildInfo> Buttons;
  std::string Focused;
  std::string DefaultButton;  // the one drawn as default
  RECT Client{}, Window{};
};

TQLSeenDialog Read(HWND Dialog) {
  TQLSeenDialog d;
  char title[256] = {};
  GetWindowTextA(Dialog, title, sizeof(title));
  d.Title = title;
  HWND focus = FocusedWindow(Dialog);
  for (const TQLChildInfo& c : ChildWindows(Dialog)) {
    if (c.Id == QLDialogIconId) d.HasIcon = true;
    if (c.Id == QLDialogMessageId) {
      d.Message = c.Text;
      d.MessageRect = c.Rect;
    }
    if (c.Id < QLDialogButtonIdBase) continue;
    d.Buttons.push_back(c);
    if (c.Window == focus) d.Focused = c.Text;
    if ((c.Style & 0xF) == BS_DEFPUSHBUTTON) d.DefaultButton = c.Text;
  }
  GetClientRect(Dialog, &d.Client);
  GetWindowRect(Dialog, &d.Window);
  return d;
}

std::string Captions(const TQLSeenDialog& D) {
  std::string s;
  for (const TQLChildInfo& b : D.Buttons) s += b.Text + ";";
  return s;
}

// One width, left to right, one row centred in the client area.
void ExpectCentredRow(const TQLSeenDialog& D) {
  ASSERT_FALSE(D.Buttons.empty());
  int width = D.Buttons[0].Rect.right - D.Buttons[0].Rect.left;
  for (size_t i = 0; i < D.Buttons.size(); ++i) {
    EXPECT_EQ(width, D.Buttons[i].Rect.right - D.Buttons[i].Rect.left) << D.Buttons[i].Text;
    EXPECT_EQ(D.Buttons[0].Rect.top, D.Buttons[i].Rect.top);
    if (i > 0) {
      EXPECT_GT(D.Buttons[i].Rect.left, D.Buttons[i - 1].Rect.right);
    }
  }
  int left = D.Buttons.front().Rect.left, right = D.Client.right - D.Buttons.back().Rect.right;
  EXPECT_LE(std::abs(left - right), 1) << left << " " << right;
  EXPECT_GT(D.Buttons[0].Rect.top, D.MessageRect.top);
}

HWND Button(HWND Dialog, const std::string& Caption) {
  for (const TQLChildInfo& c : ChildWindows(Dialog))
    if (c.Id >= QLDialogButtonIdBase && c.Text == Caption) return c.Window;
  return nullptr;
}

// Shows the dialog, lets Drive act on the real window, returns the result.
uint16_t RunDialog(const std::function<uint16_t()>& Show, const std::function<void(HWND)>& Drive) {
  uint16_t result = 0xFFFF;
  EXPECT_TRUE(DriveModal("#32770", [&] { result = Show(); }, Drive));
  return result;
}

uint16_t Answer(const std::function<uint16_t()>& Show, TQLSeenDialog& Seen, WPARAM Key) {
  return RunDialog(Show, [&](HWND w) {
    Seen = Read(w);
    PressKey(w, Key);
  });
}

TEST(MessageDialog, KindsTitlesIconsAndCentring) {
  const char* titles[] = {"Warning", "Error", "Information", "Confirm"};
  const char* names[] = {"warning", "error", "information", "confirmation", "custom"};
  for (int kind = 0; kind <= 4; ++kind) {
    TQLSeenDialog d;
    uint16_t r = RunDialog([&] { return MessageDlg("The folder could not be created.\rTry another one.", TMsgDlgType(kind), mbOK | mbCancel); },
                     [&](HWND w) {
                       d = Read(w);
                       EXPECT_TRUE(CaptureWindowPng(w, ShotDir + "/dialog-" + names[kind] + ".png"));
                       PressKey(w, VK_RETURN);
                     });
    EXPECT_EQ(mrOk, r);
    if (kind < 4) {
      EXPECT_EQ(titles[kind], d.Title);
      EXPECT_TRUE(d.HasIcon);
    } else {
      EXPECT_EQ("ui_dialogs_test", d.Title);  // the application's title
      EXPECT_FALSE(d.HasIcon);
    }
    EXPECT_EQ("The folder could not be created.\rTry another one.", d.Message);
    EXPECT_EQ("OK;Cancel;", Captions(d));
    EXPECT_EQ("OK", d.Focused);
    EXPECT_EQ("OK", d.DefaultButton);
    ExpectCentredRow(d);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_LE(std::abs(d.Window.left - (sw - d.Window.right)), 1);
    EXPECT_LE(std::abs(d.Window.top - (sh - d.Window.bottom)), 1);
  }
}

TEST(MessageDialog, ElevenButtonsInOrderEnterEscapeAndClose) {
  TQLSeenDialog d;
  EXPECT_EQ(mrOk, Answer([] { return MessageDlg("All of them", mtConfirmation, 0x7FF); }, d, VK_RETURN));
  EXPECT_EQ("&Yes;&No;OK;Cancel;&Abort;&Retry;&Ignore;&All;N&o to All;Yes to &All;&Help;", Captions(d));
  ExpectCentredRow(d);
  EXPECT_EQ(mrCancel, Answer([] { return MessageDlg("All of them", mtConfirmation, 0x7FF); }, d, VK_ESCAPE));
  // Yes and No: Yes is the default, No answers Escape.
  EXPECT_EQ(mrYes, Answer([] { return MessageDlg("Replace?", mtConfirmation, mbYes | mbNo); }, d, VK_RETURN));
  EXPECT_EQ("&Yes", d.Focused);
  EXPECT_EQ(mrNo, Answer([] { return MessageDlg("Replace?", mtConfirmation, mbYes | mbNo); }, d, VK_ESCAPE));
  // Closing by the title bar counts as Cancel, whatever the buttons.
  EXPECT_EQ(mrCancel, RunDialog([] { return MessageDlg("Replace?", mtConfirmation, mbYes | mbNo); },
                          [](HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }));
  // Each button's click gives its result.
  const uint16_t results[] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10};
  for (int i = 0; i < 10; ++i) {
    uint16_t r = RunDialog([] { return MessageDlg("Click", mtWarning, 0x3FF); }, [&](HWND w) {
      PostMessageA(Read(w).Buttons.at(size_t(i)).Window, BM_CLICK, 0, 0);
    });
    EXPECT_EQ(results[i], r) << i;
  }
}

TEST(MessageDialog, FocusedCancelAndRelabelledIgnore) {
  TQLSeenDialog d;
  auto confirm = [] { return ShowButtonDialog("Remove Prismora SE?", mtWarning, mbOK | mbCancel, "CANCEL|*FOCUS"); };
  EXPECT_EQ(mrCancel, Answer(confirm, d, VK_RETURN));
  EXPECT_EQ("OK;&Cancel;", Captions(d));
  EXPECT_EQ("&Cancel", d.Focused);
  EXPECT_EQ(mrOk, RunDialog(confirm, [](HWND w) { PostMessageA(Button(w, "OK"), BM_CLICK, 0, 0); }));

  auto check = [] { return ShowButtonDialog("DirectX 7 is not installed.", mtWarning, mbOK | mbIgnore, "IGNORE|Continue"); };
  EXPECT_EQ(mrIgnore, RunDialog(check, [&](HWND w) {
              d = Read(w);
              EXPECT_TRUE(CaptureWindowPng(w, ShotDir + "/dialog-continue.png"));
              PostMessageA(Button(w, "Continue"), BM_CLICK, 0, 0);
            }));
  EXPECT_EQ("OK;Continue;", Captions(d));
  ExpectCentredRow(d);
}

TEST(MessageDialog, CancelDesignationAndAbortRule) {
  TQLSeenDialog d;
  EXPECT_EQ(mrOk, Answer([] { return ShowButtonDialog("Escape", mtWarning, mbOK | mbCancel, "OK|*CANCEL"); }, d, VK_ESCAPE));
  EXPECT_EQ(mrAbort, Answer([] { return ShowButtonDialog("Failed", mtError, mbAbort | mbRetry | mbIgnore, ""); }, d, VK_ESCAPE));
  EXPECT_EQ("&Abort;&Retry;&Ignore;", Captions(d));
  EXPECT_EQ(mrRetry, Answer([] { return ShowButtonDialog("Failed", mtError, mbAbort | mbRetry | mbIgnore, ""); }, d, VK_RETURN));
  // The standard dialog keeps the caption "Cancel"; the button dialog writes "&Cancel".
  EXPECT_EQ(mrCancel, Answer([] { return ShowButtonDialog("Plain", mtWarning, mbOK | mbCancel, ""); }, d, VK_ESCAPE));
  EXPECT_EQ("OK;&Cancel;", Captions(d));
  EXPECT_EQ(mrYes, Answer([] { return ShowButtonDialog("All?", mtConfirmation, mbYes | mbNo | mbYesToAll, ""); }, d, VK_RETURN));
  EXPECT_EQ("&Yes;&No;Ye&s to All;", Captions(d));
  EXPECT_EQ(mrCancel, Answer([] { return ShowButtonDialog("All?", mtConfirmation, mbYes | mbNo | mbCancel | mbYesToAll, ""); }, d, VK_ESCAPE));
  EXPECT_EQ("&Yes;&No;&Cancel;Yes to &All;", Captions(d));
}

TEST(MessageDialog, HelpButtonStaysOpenUnlessRelabelled) {
  TQLSeenDialog d;
  EXPECT_EQ(mrRelabelledHelp, RunDialog([] { return ShowButtonDialog("Help?", mtInformation, mbOK | mbHelp, "HELP|More"); },
                                  [&](HWND w) {
                                    d = Read(w);
                                    PostMessageA(Button(w, "More"), BM_CLICK, 0, 0);
                                  }));
  EXPECT_EQ("OK;More;", Captions(d));
  bool stayedOpen = false;
  EXPECT_EQ(mrOk, RunDialog([] { return ShowButtonDialog("Help?", mtInformation, mbOK | mbHelp, ""); }, [&](HWND w) {
              PostMessageA(Button(w, "&Help"), BM_CLICK, 0, 0);
              Sleep(300);
              stayedOpen = IsWindow(w) && IsWindowVisible(w);
              PostMessageA(Button(w, "OK"), BM_CLICK, 0, 0);
            }));
  EXPECT_TRUE(stayedOpen);
  // A name without a value empties the caption.
  EXPECT_EQ(mrOk, Answer([] { return ShowButtonDialog("Empty", mtInformation, mbOK | mbCancel, "OK"); }, d, VK_RETURN));
  EXPECT_EQ(";&Cancel;", Captions(d));
}

TEST(MessageDialog, FontStyleWidensAndKeepsButtonsCentred) {
  const std::string text =
      "Prismora SE is running in a web browser: close every browser window before the installation goes on.";
  TQLSeenDialog plain, styled;
  Answer([&] { return ShowButtonDialog(text, mtWarning, mbOK | mbIgnore, ""); }, plain, VK_RETURN);
  RunDialog([&] { return ShowButtonDialog(text, mtWarning, mbOK | mbIgnore, "MESSAGE|*FONTSTYLE=bold, italic"); },
      [&](HWND w) {
        styled = Read(w);
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(w, QLDialogMessageId), WM_GETFONT, 0, 0));
        LOGFONTA lf{};
        GetObjectA(font, sizeof(lf), &lf);
        EXPECT_EQ(FW_BOLD, lf.lfWeight);
        EXPECT_TRUE(lf.lfItalic);
        EXPECT_FALSE(lf.lfUnderline);
        EXPECT_TRUE(CaptureWindowPng(w, ShotDir + "/dialog-fontstyle.png"));
        PressKey(w, VK_RETURN);
      });
  int plainWidth = plain.MessageRect.right - plain.MessageRect.left;
  int styledWidth = styled.MessageRect.right - styled.MessageRect.left;
  EXPECT_GT(styledWidth, plainWidth);
  EXPECT_LT(styled.MessageRect.bottom - styled.MessageRect.top, plain.MessageRect.bottom - plain.MessageRect.top);
  EXPECT_EQ(plain.Client.right + (styledWidth - plainWidth), styled.Client.right);
  ExpectCentredRow(styled);
}

// Pixels of the message label that are clearly red.
int RedPixels(HWND Dialog) {
  int w = 0, h = 0;
  std::vector<uint8_t> rgb = CaptureWindowRgb(Dialog, w, h);
  RECT label{};
  GetWindowRect(GetDlgItem(Dialog, QLDialogMessageId), &label);
  RECT win{};
  GetWindowRect(Dialog, &win);
  int n = 0;
  for (int y = label.top - win.top; y < label.bottom - win.top && y < h; ++y)
    for (int x = label.left - win.left; x < label.right - win.left && x < w; ++x) {
      const uint8_t* p = &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
      n += p[0] > 150 && p[1] < 80 && p[2] < 80;
    }
  return n;
}

TEST(MessageDialog, MessageColour) {
  int red = 0, unchanged = 0;
  RunDialog([] { return ShowButtonDialog("Red text", mtError, mbOK, "MESSAGE|*COLOR=0000FF"); }, [&](HWND w) {
    red = RedPixels(w);
    EXPECT_TRUE(CaptureWindowPng(w, ShotDir + "/dialog-color.png"));
    PressKey(w, VK_RETURN);
  });
  RunDialog([] { return ShowButtonDialog("Red text", mtError, mbOK, "MESSAGE|*COLOR=xyz"); }, [&](HWND w) {
    unchanged = RedPixels(w);
    PressKey(w, VK_RETURN);
  });
  EXPECT_GT(red, 10);
  EXPECT_EQ(0, unchanged);
}

TEST(MessageDialog, AnswererSeesEveryRequest) {
  std::vector<TQLDialogRequest> seen;
  SetDialogAnswerer([&](const TQLDialogRequest& R) {
    seen.push_back(R);
    return uint16_t(seen.size() == 1 ? mrIgnore : mrCancel);
  });
  EXPECT_EQ(mrIgnore, ShowButtonDialog("Check", mtWarning, mbOK | mbIgnore, "IGNORE|Continue"));
  EXPECT_EQ(mrCancel, MessageDlg("Done", mtInformation, mbOK));
  SetDialogAnswerer(nullptr);
  ASSERT_EQ(2u, seen.size());
  EXPECT_TRUE(seen[0].ButtonDialog);
  EXPECT_EQ("IGNORE|Continue", seen[0].ButtonSpec);
  EXPECT_EQ(mbOK | mbIgnore, seen[0].Buttons);
  EXPECT_FALSE(seen[1].ButtonDialog);
  EXPECT_EQ(mtInformation, seen[1].Kind);
  EXPECT_EQ("Done", seen[1].Text);
}

}  // namespace
