#include "ui/QLButtonSpec.h"

#include <gtest/gtest.h>

namespace {

constexpr uint16_t Yes = 1, No = 2, OK = 4, Cancel = 8, Abort = 16, Retry = 32, Ignore = 64,
                   YesToAll = 512, Help = 1024;

const TQLPlannedButton& ByCaption(const TQLDialogPlan& P, const std::string& Caption) {
  for (const TQLPlannedButton& b : P.Buttons)
    if (b.Caption == Caption) return b;
  throw std::runtime_error("no button " + Caption);
}

std::string Captions(const TQLDialogPlan& P) {
  std::string s;
  for (const TQLPlannedButton& b : P.Buttons) s += b.Caption + ";";
  return s;
}

int CancelCount(const TQLDialogPlan& P) {
  int n = 0;
  for (const TQLPlannedButton& b : P.Buttons) n += b.Cancel;
  return n;
}

TEST(ButtonSpec, SplitsIntoNameValuePairs) {
  auto p = SplitButtonSpec("IGNORE|Continue|CANCEL|*FOCUS");
  ASSERT_EQ(2u, p.size());
  EXPECT_EQ("IGNORE", p[0].Name);
  EXPECT_EQ("Continue", p[0].Value);
  EXPECT_EQ("CANCEL", p[1].Name);
  EXPECT_EQ("*FOCUS", p[1].Value);
  p = SplitButtonSpec("OK");
  ASSERT_EQ(1u, p.size());
  EXPECT_EQ("OK", p[0].Name);
  EXPECT_EQ("", p[0].Value);
  p = SplitButtonSpec("OK||HELP|");
  ASSERT_EQ(2u, p.size());
  EXPECT_EQ("", p[0].Value);
  EXPECT_EQ("HELP", p[1].Name);
  EXPECT_TRUE(SplitButtonSpec("").empty());
  p = SplitButtonSpec("MESSAGE|*COLOR=FF|x");
  ASSERT_EQ(2u, p.size());
  EXPECT_EQ("x", p[1].Name);
}

TEST(ButtonSpec, StandardDialogOrderCaptionsAndRoles) {
  auto p = PlanStandardDialog(0x7FF);
  EXPECT_EQ("&Yes;&No;OK;Cancel;&Abort;&Retry;&Ignore;&All;N&o to All;Yes to &All;&Help;", Captions(p));
  const uint16_t results[] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10, 0};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(results[i], p.Buttons[i].Result) << i;
  EXPECT_TRUE(ByCaption(p, "OK").Default);
  EXPECT_TRUE(ByCaption(p, "OK").Focus);
  EXPECT_TRUE(ByCaption(p, "Cancel").Cancel);
  EXPECT_EQ(1, CancelCount(p));
  // Default: OK, else Yes, else Retry; cancel: Cancel, else No, else OK.
  p = PlanStandardDialog(Yes | No);
  EXPECT_TRUE(ByCaption(p, "&Yes").Default);
  EXPECT_TRUE(ByCaption(p, "&No").Cancel);
  p = PlanStandardDialog(Abort | Retry | Ignore);
  EXPECT_TRUE(ByCaption(p, "&Retry").Default);
  EXPECT_EQ(0, CancelCount(p));
  p = PlanStandardDialog(OK);
  EXPECT_TRUE(p.Buttons[0].Default && p.Buttons[0].Cancel);
  p = PlanStandardDialog(Ignore | Help);
  EXPECT_TRUE(p.Buttons[0].Focus);  // no default button: the first one
  EXPECT_FALSE(p.Buttons[0].Default);
}

TEST(ButtonSpec, FocusAndCancelDesignation) {
  auto p = PlanButtonDialog(OK | Cancel, "CANCEL|*FOCUS");
  EXPECT_EQ("OK;&Cancel;", Captions(p));
  EXPECT_TRUE(ByCaption(p, "&Cancel").Focus);
  EXPECT_FALSE(ByCaption(p, "OK").Focus);
  EXPECT_TRUE(ByCaption(p, "OK").Default);
  EXPECT_TRUE(ByCaption(p, "&Cancel").Cancel);
  EXPECT_EQ(1, ByCaption(p, "OK").Result);

  p = PlanButtonDialog(OK | Cancel, "OK|*CANCEL");
  EXPECT_TRUE(ByCaption(p, "OK").Cancel);
  EXPECT_EQ(1, CancelCount(p));
  // The last designated button wins.
  p = PlanButtonDialog(OK | Cancel | Retry, "OK|*CANCEL|RETRY|*CANCEL");
  EXPECT_TRUE(ByCaption(p, "&Retry").Cancel);
  EXPECT_EQ(1, CancelCount(p));
  // Names are compared case-sensitively.
  p = PlanButtonDialog(OK | Cancel, "ok|*CANCEL|Cancel|*FOCUS");
  EXPECT_TRUE(ByCaption(p, "&Cancel").Cancel);
  EXPECT_TRUE(ByCaption(p, "OK").Focus);
}

TEST(ButtonSpec, RelabellingAndCaptionRules) {
  auto p = PlanButtonDialog(OK | Ignore, "IGNORE|Continue");
  EXPECT_EQ("OK;Continue;", Captions(p));
  EXPECT_EQ(5, ByCaption(p, "Continue").Result);
  p = PlanButtonDialog(OK | Help, "HELP|More");
  EXPECT_EQ(11, ByCaption(p, "More").Result);
  EXPECT_EQ(0, PlanButtonDialog(OK | Help, "").Buttons[1].Result);
  p = PlanButtonDialog(OK | Cancel, "OK");
  EXPECT_EQ(";&Cancel;", Captions(p));
  EXPECT_EQ("&Yes;&No;Ye&s to All;", Captions(PlanButtonDialog(Yes | No | YesToAll, "")));
  EXPECT_EQ("&Yes;&No;&Cancel;Yes to &All;", Captions(PlanButtonDialog(Yes | No | Cancel | YesToAll, "")));
  // A relabelling after the fixed rules replaces them.
  EXPECT_EQ("OK;Stop;", Captions(PlanButtonDialog(OK | Cancel, "CANCEL|Stop")));
  // Unknown names and values on the wrong control are ignored.
  p = PlanButtonDialog(OK | Cancel, "NOSUCH|x|MESSAGE|plain|OK|");
  EXPECT_EQ(";&Cancel;", Captions(p));
  EXPECT_FALSE(p.TextColor || p.FontStyle);
}

TEST(ButtonSpec, EmptySpecificationKeepsStandardRolesButAbortAnswersEscape) {
  auto p = PlanButtonDialog(Abort | Retry | Ignore, "");
  EXPECT_TRUE(ByCaption(p, "&Abort").Cancel);
  EXPECT_EQ(1, CancelCount(p));
  EXPECT_TRUE(ByCaption(p, "&Retry").Default);
  p = PlanButtonDialog(OK | Cancel | Abort, "OK|Fine");
  EXPECT_TRUE(ByCaption(p, "&Abort").Cancel);
  EXPECT_EQ(1, CancelCount(p));
  p = PlanButtonDialog(Yes | No, "");
  EXPECT_TRUE(ByCaption(p, "&No").Cancel);
  p = PlanButtonDialog(Yes | No, "YES|Sure");
  EXPECT_TRUE(ByCaption(p, "&No").Cancel);  // given back after the walk
  EXPECT_EQ(1, CancelCount(p));
}

TEST(ButtonSpec, MessageColourAndFontStyle) {
  auto p = PlanButtonDialog(OK, "MESSAGE|*COLOR=0000FF");
  ASSERT_TRUE(p.TextColor);
  EXPECT_EQ(0x0000FFu, *p.TextColor);
  EXPECT_FALSE(PlanButtonDialog(OK, "MESSAGE|*COLOR=xyz").TextColor);
  EXPECT_FALSE(PlanButtonDialog(OK, "MESSAGE|*color=FF").TextColor);
  EXPECT_FALSE(ParseSpecColor(""));
  EXPECT_FALSE(ParseSpecColor("80000000"));  // negative
  EXPECT_FALSE(ParseSpecColor("123456789"));
  EXPECT_EQ(0x7FFFFFFFu, *ParseSpecColor("7fffffff"));
  EXPECT_EQ(0xFF0000u, *ParseSpecColor("FF0000"));

  p = PlanButtonDialog(OK, "MESSAGE|*FONTSTYLE=bold, italic");
  ASSERT_TRUE(p.FontStyle);
  EXPECT_EQ(fsBold | fsItalic, *p.FontStyle);
  EXPECT_EQ(fsUnderline | fsStrikeOut, ParseSpecFontStyle(" Underline ,STRIKEOUT,heavy"));
  EXPECT_EQ(0, ParseSpecFontStyle(""));
  p = PlanButtonDialog(OK, "MESSAGE|*FONTSTYLE=");
  ASSERT_TRUE(p.FontStyle);  // still one unwrapped line
  EXPECT_EQ(0, *p.FontStyle);
}

TEST(ButtonSpec, LayoutCentresOneWidthRowAndWidening) {
  TQLDialogMetrics m;
  m.HorzMargin = m.VertMargin = 10;
  m.HorzSpacing = m.VertSpacing = 12;
  m.ButtonWidth = 75;
  m.ButtonHeight = 23;
  m.ButtonSpacing = 6;
  m.IconSize = 32;
  m.TextWidth = 300;
  m.TextHeight = 16;
  auto L = LayoutDialog(m, 3);
  EXPECT_EQ(10 + 32 + 12 + 300 + 10, L.ClientWidth);
  EXPECT_EQ(54, L.Text.Left);
  EXPECT_EQ(10 + 32 + 12, L.Buttons[0].Top);
  EXPECT_EQ(10 + 32 + 12 + 23 + 10, L.ClientHeight);
  int row = 3 * 75 + 2 * 6;
  EXPECT_EQ((L.ClientWidth - row) / 2, L.Buttons[0].Left);
  EXPECT_EQ(L.Buttons[0].Left + 81, L.Buttons[1].Left);
  // A wide button row sets the width, centred with the margins.
  m.TextWidth = 20;
  m.IconSize = 0;
  L = LayoutDialog(m, 3);
  EXPECT_EQ(row + 20, L.ClientWidth);
  EXPECT_EQ(10, L.Buttons[0].Left);
  EXPECT_EQ(10, L.Text.Left);

  WidenDialog(L, 101);
  EXPECT_EQ(row + 121, L.ClientWidth);
  EXPECT_EQ(60, L.Buttons[0].Left);
  WidenDialog(L, -7);
  EXPECT_EQ(57, L.Buttons[0].Left);  // -3: rounded toward zero
}

}  // namespace
