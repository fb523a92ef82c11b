// Fuzz target: the message dialog's button list. The first two bytes are
// the button set, the rest the button specification; the plan must keep the
// set's buttons in table order, with at most one focused, default and
// cancel button.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ui/QLButtonSpec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 2) return 0;
  uint16_t buttons = uint16_t(Data[0] | Data[1] << 8);
  std::string spec(reinterpret_cast<const char*>(Data + 2), Size - 2);
  TQLDialogPlan plan = PlanButtonDialog(buttons, spec);
  int focus = 0, defaults = 0, cancels = 0, previous = -1;
  for (const TQLPlannedButton& b : plan.Buttons) {
    if (b.Kind <= previous || b.Kind >= QLButtonKindCount || !(buttons >> b.Kind & 1)) std::abort();
    previous = b.Kind;
    focus += b.Focus, defaults += b.Default, cancels += b.Cancel;
  }
  if (focus > 1 || defaults > 1 || cancels > 1) std::abort();
  if (plan.TextColor && *plan.TextColor > 0x7FFFFFFFu) std::abort();
  for (const TQLSpecPair& p : SplitButtonSpec(spec))
    if (p.Name.find('|') != std::string::npos || p.Value.find('|') != std::string::npos) std::abort();
  ParseSpecFontStyle(spec);
  return 0;
}
