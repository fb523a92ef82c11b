#include "ui/QLButtonSpec.h"

#include <algorithm>
#include <cctype>

namespace {

const TQLButtonKind Kinds[QLButtonKindCount] = {
    {"Yes", "&Yes", 6},          {"No", "&No", 7},           {"OK", "OK", 1},
    {"Cancel", "Cancel", 2},     {"Abort", "&Abort", 3},     {"Retry", "&Retry", 4},
    {"Ignore", "&Ignore", 5},    {"All", "&All", 8},         {"NoToAll", "N&o to All", 9},
    {"YesToAll", "Yes to &All", 10}, {"Help", "&Help", 0}};

enum { kYes = 0, kNo = 1, kOK = 2, kCancel = 3, kAbort = 4, kRetry = 5, kYesToAll = 9, kHelp = 10 };
constexpr uint16_t RelabelledHelpResult = 11;

std::string UpperCase(std::string S) {
  for (char& c : S) c = char(std::toupper(static_cast<unsigned char>(c)));
  return S;
}

std::string Trim(const std::string& S) {
  size_t first = S.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  size_t last = S.find_last_not_of(" \t");
  return S.substr(first, last - first + 1);
}

bool Has(uint16_t Buttons, int Kind) { return (Buttons & (1u << Kind)) != 0; }

TQLPlannedButton* Find(TQLDialogPlan& Plan, int Kind) {
  for (TQLPlannedButton& b : Plan.Buttons)
    if (b.Kind == Kind) return &b;
  return nullptr;
}

void ApplyLabelValue(TQLDialogPlan& Plan, const std::string& Value) {
  static const std::string color = "*COLOR=", style = "*FONTSTYLE=";
  if (Value.compare(0, color.size(), color) == 0) {
    if (auto c = ParseSpecColor(Value.substr(color.size()))) Plan.TextColor = *c;
  } else if (Value.compare(0, style.size(), style) == 0) {
    Plan.FontStyle = ParseSpecFontStyle(Value.substr(style.size()));
  }
}

}  // namespace

std::vector<TQLSpecPair> SplitButtonSpec(const std::string& ButtonSpec) {
  std::vector<TQLSpecPair> pairs;
  size_t pos = 0;
  auto next = [&]() {
    size_t bar = ButtonSpec.find('|', pos);
    std::string part = ButtonSpec.substr(pos, bar == std::string::npos ? std::string::npos : bar - pos);
    pos = bar == std::string::npos ? ButtonSpec.size() : bar + 1;
    return part;
  };
  while (pos < ButtonSpec.size()) {
    TQLSpecPair pair;
    pair.Name = next();
    pair.Value = next();
    pairs.push_back(pair);
  }
  return pairs;
}

const TQLButtonKind& ButtonKind(int Index) { return Kinds[Index]; }

TQLDialogPlan PlanStandardDialog(uint16_t Buttons) {
  TQLDialogPlan plan;
  for (int k = 0; k < QLButtonKindCount; ++k) {
    if (!Has(Buttons, k)) continue;
    TQLPlannedButton b;
    b.Kind = k;
    b.Caption = Kinds[k].Caption;
    b.Result = Kinds[k].Result;
    plan.Buttons.push_back(b);
  }
  int defaultKind = Has(Buttons, kOK) ? kOK : Has(Buttons, kYes) ? kYes : kRetry;
  int cancelKind = Has(Buttons, kCancel) ? kCancel : Has(Buttons, kNo) ? kNo : kOK;
  if (TQLPlannedButton* d = Find(plan, defaultKind)) d->Default = d->Focus = true;
  else if (!plan.Buttons.empty()) plan.Buttons.front().Focus = true;
  if (TQLPlannedButton* c = Find(plan, cancelKind)) c->Cancel = true;
  return plan;
}

TQLDialogPlan PlanButtonDialog(uint16_t Buttons, const std::string& ButtonSpec) {
  TQLDialogPlan plan = PlanStandardDialog(Buttons);
  std::vector<TQLSpecPair> pairs = SplitButtonSpec(ButtonSpec);
  for (const TQLSpecPair& p : pairs)
    if (p.Name == "MESSAGE") ApplyLabelValue(plan, p.Value);

  TQLPlannedButton* standardCancel = nullptr;
  TQLPlannedButton* designatedCancel = nullptr;
  TQLPlannedButton* focus = nullptr;
  bool hasAbort = false;
  for (TQLPlannedButton& b : plan.Buttons) {
    std::string name = UpperCase(Kinds[b.Kind].Name);
    if (!Has(Buttons, kCancel) && b.Kind == kYesToAll) b.Caption = "Ye&s to All";
    if (b.Kind == kCancel) b.Caption = "&Cancel";
    if (b.Kind == kAbort) hasAbort = true;
    for (const TQLSpecPair& p : pairs) {
      if (b.Cancel) {
        standardCancel = &b;
        b.Cancel = false;
      }
      if (p.Name != name) continue;
      if (p.Value == "*FOCUS") focus = &b;
      else if (p.Value == "*CANCEL") designatedCancel = &b;
      else {
        b.Caption = p.Value;
        if (b.Kind == kHelp) b.Result = RelabelledHelpResult;
      }
    }
  }
  if (designatedCancel) designatedCancel->Cancel = true;
  else if (hasAbort)
    for (TQLPlannedButton& b : plan.Buttons) b.Cancel = b.Kind == kAbort;
  else if (standardCancel) standardCancel->Cancel = true;
  if (focus)
    for (TQLPlannedButton& b : plan.Buttons) b.Focus = &b == focus;
  return plan;
}

std::optional<uint32_t> ParseSpecColor(const std::string& Digits) {
  if (Digits.empty() || Digits.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : Digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10;
    value = value * 16 + uint32_t(digit);
  }
  if (value > 0x7FFFFFFFu) return std::nullopt;  // a negative colour
  return value;
}

uint8_t ParseSpecFontStyle(const std::string& Words) {
  uint8_t style = 0;
  size_t pos = 0;
  while (pos <= Words.size()) {
    size_t comma = Words.find(',', pos);
    if (comma == std::string::npos) comma = Words.size();
    std::string word = UpperCase(Trim(Words.substr(pos, comma - pos)));
    if (word == "BOLD") style |= fsBold;
    else if (word == "ITALIC") style |= fsItalic;
    else if (word == "UNDERLINE") style |= fsUnderline;
    else if (word == "STRIKEOUT") style |= fsStrikeOut;
    pos = comma + 1;
  }
  return style;
}

TQLDialogLayout LayoutDialog(const TQLDialogMetrics& M, int ButtonCount) {
  TQLDialogLayout L;
  int textLeft = M.HorzMargin + (M.IconSize > 0 ? M.IconSize + M.HorzSpacing : 0);
  L.Icon = {M.HorzMargin, M.VertMargin, M.IconSize, M.IconSize};
  L.Text = {textLeft, M.VertMargin, M.TextWidth, M.TextHeight};
  int rowWidth = ButtonCount * M.ButtonWidth + std::max(ButtonCount - 1, 0) * M.ButtonSpacing;
  L.ClientWidth = std::max(textLeft + M.TextWidth, M.HorzMargin + rowWidth) + M.HorzMargin;
  int buttonTop = M.VertMargin + std::max(M.IconSize, M.TextHeight) + M.VertSpacing;
  L.ClientHeight = buttonTop + M.ButtonHeight + M.VertMargin;
  int x = (L.ClientWidth - rowWidth) / 2;
  for (int i = 0; i < ButtonCount; ++i) {
    L.Buttons.push_back({x, buttonTop, M.ButtonWidth, M.ButtonHeight});
    x += M.ButtonWidth + M.ButtonSpacing;
  }
  return L;
}

void WidenDialog(TQLDialogLayout& Layout, int Delta) {
  Layout.ClientWidth += Delta;
  Layout.Text.Width += Delta;
  for (TQLRect& b : Layout.Buttons) b.Left += Delta / 2;
}
