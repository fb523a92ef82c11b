// The message dialog's button specification language and its layout rules,
// without any window: splitting "NAME|VALUE|..." into pairs, the fixed button
// table, deciding captions, focus, default, cancel and results, reading the
// MESSAGE label's colour and font style, and the dialog's width arithmetic.
// Portable; the Win32 dialog in QLDialogs applies the plan it returns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TQLSpecPair {
  std::string Name;
  std::string Value;
};

// "NAME|VALUE|NAME|VALUE...": a missing last value is empty.
std::vector<TQLSpecPair> SplitButtonSpec(const std::string& ButtonSpec);

// One row of the dialog's fixed button table (order = bit position).
struct TQLButtonKind {
  const char* Name;     // control name; the specification uses it upper-cased
  const char* Caption;  // standard caption
  uint16_t Result;      // 0 for Help, which opens help and keeps the dialog open
};
constexpr int QLButtonKindCount = 11;
const TQLButtonKind& ButtonKind(int Index);

// Font style bits of the MESSAGE label.
enum : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Everything the dialog needs to know about one button.
struct TQLPlannedButton {
  int Kind = 0;             // index into the button table
  std::string Caption;
  uint16_t Result = 0;      // 0: opens help, leaves the dialog open
  bool Focus = false;       // holds the initial keyboard focus
  bool Default = false;     // pressed by Enter when no other button has the focus
  bool Cancel = false;      // pressed by Escape
};

struct TQLDialogPlan {
  std::vector<TQLPlannedButton> Buttons;  // in the table's order
  std::optional<uint32_t> TextColor;      // colour in blue-green-red byte order
  std::optional<uint8_t> FontStyle;       // set: one unwrapped line of natural width
};

// The standard dialog for a button set, unchanged.
TQLDialogPlan PlanStandardDialog(uint16_t Buttons);

// The standard dialog adjusted by a button specification.
TQLDialogPlan PlanButtonDialog(uint16_t Buttons, const std::string& ButtonSpec);

// The hexadecimal digits of a "*COLOR=" value: a valid non-negative 32-bit
// number, otherwise none.
std::optional<uint32_t> ParseSpecColor(const std::string& Digits);

// The comma-separated words of a "*FONTSTYLE=" value.
uint8_t ParseSpecFontStyle(const std::string& Words);

// Sizes of the standard dialog, in pixels of its font.
struct TQLDialogMetrics {
  int HorzMargin = 0, VertMargin = 0, HorzSpacing = 0, VertSpacing = 0;
  int ButtonWidth = 0, ButtonHeight = 0, ButtonSpacing = 0;
  int IconSize = 0;  // 0 for a dialog without icon
  int TextWidth = 0, TextHeight = 0;
};

struct TQLRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};

struct TQLDialogLayout {
  int ClientWidth = 0, ClientHeight = 0;
  TQLRect Icon, Text;
  std::vector<TQLRect> Buttons;
};

// Icon and text side by side, the buttons, all of one width, in a centred
// row below.
TQLDialogLayout LayoutDialog(const TQLDialogMetrics& M, int ButtonCount);

// The dialog widened by Delta (negative narrows it) for a label that changed
// width; the buttons move by half of it, rounded toward zero.
void WidenDialog(TQLDialogLayout& Layout, int Delta);
