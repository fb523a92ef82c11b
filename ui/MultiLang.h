// The UI language switch and the bilingual controls. UILanguageEnglish
// selects which of the two texts every control shows (English from start-up
// on; the Japanese texts are stored but never selected); MemoFont is the
// fixed-pitch font for long texts, owned here, which consumers copy.
// TQLMultiLabel, TQLMultiButton and TQLMultiRadioButton are thin classes over
// the system's static, push-button and radio-button controls; each owns its
// window. UI thread only.
#pragma once

#include <windows.h>

#include <string>

extern bool UILanguageEnglish;

// Selects the language (true = English) and sets MemoFont up for it.
// Controls that already have their texts keep them.
void SetUILanguage(bool English);

// The unit's fixed-pitch font: "Courier New" (English) or the Japanese
// system font, 14 pixels high. Copy it; do not keep the handle.
HFONT MemoFont();

class TQLMultiControl {
public:
  virtual ~TQLMultiControl();
  TQLMultiControl(const TQLMultiControl&) = delete;
  TQLMultiControl& operator=(const TQLMultiControl&) = delete;

  HWND Handle() const { return FHandle; }
  std::string Caption() const;
  virtual void SetCaption(const std::string& Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  virtual void SetFont(HFONT Font);

  // The two language versions; writing the one of the active language also
  // sets Caption or Hint.
  const std::string& CaptionJP() const { return FCaptionJP; }
  const std::string& CaptionUS() const { return FCaptionUS; }
  const std::string& HintJP() const { return FHintJP; }
  const std::string& HintUS() const { return FHintUS; }
  void SetCaptionJP(const std::string& Value);
  void SetCaptionUS(const std::string& Value);
  void SetHintJP(const std::string& Value);
  void SetHintUS(const std::string& Value);

  void SetBounds(int X, int Y, int Width, int Height);
  RECT BoundsRect() const;  // in the parent's client coordinates

protected:
  TQLMultiControl(HWND Parent, const char* Class, DWORD Style, const RECT& Bounds, int Id);

private:
  HWND FHandle = nullptr;
  std::string FHint, FCaptionJP, FCaptionUS, FHintJP, FHintUS;
};

class TQLMultiLabel : public TQLMultiControl {
public:
  TQLMultiLabel(HWND Parent, const RECT& Bounds, int Id = 0);
};

class TQLMultiButton : public TQLMultiControl {
public:
  TQLMultiButton(HWND Parent, const RECT& Bounds, int Id = 0);
};

// A radio button that can size itself to its caption: width = text width +
// 20 (the circle and spacing), height = |font height| + 2, whenever AutoSize
// is set and the caption or the font changes, and once after loading.
class TQLMultiRadioButton : public TQLMultiControl {
public:
  TQLMultiRadioButton(HWND Parent, const RECT& Bounds, int Id = 0);

  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  void SetCaption(const std::string& Value) override;
  void SetFont(HFONT Font) override;
  // Loading from the form description: no resizing until Loaded.
  void BeginLoad() { FLoading = true; }
  void Loaded();

private:
  void AdjustSize();

  bool FAutoSize = false;
  bool FLoading = false;
};
