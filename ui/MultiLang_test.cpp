#include "ui/MultiLang.h"

#include <gtest/gtest.h>

#include <cstring>

#include "shell/QLWinHandles.h"

namespace {

class TQLForm {
public:
  TQLForm() { FWindow = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr); }
  ~TQLForm() {
    DestroyWindow(FWindow);
    SetUILanguage(true);
  }
  HWND Get() const { return FWindow; }

private:
  HWND FWindow;
};

const RECT Box{10, 20, 110, 40};

TEST(MultiLang, StartsEnglishWithCourierNewMemoFont) {
  EXPECT_TRUE(UILanguageEnglish);
  LOGFONTA lf{};
  ASSERT_NE(0, GetObjectA(MemoFont(), sizeof(lf), &lf));
  EXPECT_STREQ("Courier New", lf.lfFaceName);
  EXPECT_EQ(14, lf.lfHeight);
  EXPECT_EQ(DEFAULT_CHARSET, lf.lfCharSet);
  EXPECT_EQ(FIXED_PITCH, lf.lfPitchAndFamily & 3);
  SetUILanguage(false);
  EXPECT_FALSE(UILanguageEnglish);
  ASSERT_NE(0, GetObjectA(MemoFont(), sizeof(lf), &lf));
  EXPECT_STREQ("\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E", lf.lfFaceName);
  EXPECT_EQ(14, lf.lfHeight);
  SetUILanguage(true);
}

TEST(MultiLang, NewControlsStartEmpty) {
  TQLForm form;
  TQLMultiLabel label(form.Get(), Box);
  TQLMultiButton button(form.Get(), Box);
  TQLMultiRadioButton radio(form.Get(), Box);
  for (TQLMultiControl* c : std::initializer_list<TQLMultiControl*>{&label, &button, &radio}) {
    EXPECT_EQ("", c->Caption());
    EXPECT_EQ("", c->Hint());
    EXPECT_EQ("", c->CaptionUS());
  }
  EXPECT_FALSE(radio.AutoSize());
  EXPECT_EQ(100, radio.BoundsRect().right - radio.BoundsRect().left);
  char cls[32] = {};
  GetClassNameA(button.Handle(), cls, sizeof(cls));
  EXPECT_STREQ("Button", cls);
  EXPECT_EQ(BS_AUTORADIOBUTTON, GetWindowLongA(radio.Handle(), GWL_STYLE) & 0xF);
}

TEST(MultiLang, LoadedTextsFollowTheLanguage) {
  TQLForm form;
  // Loading applies Caption first, then CaptionJP and CaptionUS.
  TQLMultiLabel english(form.Get(), Box);
  english.SetCaption("X");
  english.SetCaptionJP("Y");
  english.SetCaptionUS("Z");
  EXPECT_EQ("Z", english.Caption());
  TQLMultiLabel onlyJP(form.Get(), Box);
  onlyJP.SetCaption("Plain");
  onlyJP.SetCaptionJP("Nihongo");
  EXPECT_EQ("Plain", onlyJP.Caption());
  onlyJP.SetHintUS("Tip");
  onlyJP.SetHintJP("Hinto");
  EXPECT_EQ("Tip", onlyJP.Hint());
  EXPECT_EQ("Hinto", onlyJP.HintJP());

  SetUILanguage(false);
  TQLMultiButton japanese(form.Get(), Box);
  japanese.SetCaption("X");
  japanese.SetCaptionJP("Y");
  japanese.SetCaptionUS("Z");
  japanese.SetHintJP("H-JP");
  japanese.SetHintUS("H-US");
  EXPECT_EQ("Y", japanese.Caption());
  EXPECT_EQ("H-JP", japanese.Hint());
  EXPECT_EQ("Z", japanese.CaptionUS());
  // Switching leaves the captions; a later write counts only in the active language.
  EXPECT_EQ("Z", english.Caption());
  english.SetCaptionUS("New");
  EXPECT_EQ("Z", english.Caption());
  EXPECT_EQ("New", english.CaptionUS());
  english.SetCaptionJP("Atarashii");
  EXPECT_EQ("Atarashii", english.Caption());
}

TEST(MultiLang, RadioButtonAutoSize) {
  TQLForm form;
  LOGFONTA lf{};
  lf.lfHeight = -11;
  std::strcpy(lf.lfFaceName, "Tahoma");
  TQLGdiObject font(CreateFontIndirectA(&lf));
  TQLMemoryDC dc(CreateCompatibleDC(nullptr));
  SelectObject(dc.Get(), font.Get());
  auto textWidth = [&](const char* Text) {
    SIZE s{};
    GetTextExtentPoint32A(dc.Get(), Text, int(strlen(Text)), &s);
    return int(s.cx);
  };
  const char* longText = "Install DirectX 7 together with Prismora SE";

  TQLMultiRadioButton fixed(form.Get(), Box);
  fixed.SetFont(static_cast<HFONT>(font.Get()));
  fixed.SetCaptionUS(longText);
  EXPECT_EQ(100, fixed.BoundsRect().right - fixed.BoundsRect().left);  // designed size kept

  TQLMultiRadioButton radio(form.Get(), Box);
  radio.SetFont(static_cast<HFONT>(font.Get()));
  radio.SetCaptionUS("Yes");
  radio.SetAutoSize(true);
  RECT r = radio.BoundsRect();
  EXPECT_EQ(textWidth("Yes") + 20, r.right - r.left);
  EXPECT_EQ(13, r.bottom - r.top);  // |-11| + 2
  EXPECT_EQ(10, r.left);
  radio.SetCaptionUS(longText);
  r = radio.BoundsRect();
  EXPECT_EQ(textWidth(longText) + 20, r.right - r.left);
  // Switching AutoSize off keeps the last size.
  radio.SetAutoSize(false);
  radio.SetCaptionUS("No");
  EXPECT_EQ(textWidth(longText) + 20, radio.BoundsRect().right - radio.BoundsRect().left);

  // While loading nothing is resized; Loaded sizes once with the final caption.
  TQLMultiRadioButton loaded(form.Get(), Box);
  loaded.BeginLoad();
  loaded.SetAutoSize(true);
  loaded.SetFont(static_cast<HFONT>(font.Get()));
  loaded.SetCaptionUS("Custom");
  EXPECT_EQ(100, loaded.BoundsRect().right - loaded.BoundsRect().left);
  loaded.Loaded();
  EXPECT_EQ(textWidth("Custom") + 20, loaded.BoundsRect().right - loaded.BoundsRect().left);
}

}  // namespace
