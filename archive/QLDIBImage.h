// TQLDIBImage: the picture control of the wizard's pages. A graphic control
// without a window of its own: it paints into its parent's client area inside
// its bounds when the parent asks it to (Paint), and realizes its palette
// when the parent passes on the palette messages. It owns a copy of the
// picture in a locked movable global block and the palette made from the
// picture's colour table; the caller keeps its own DIB.
#pragma once

#include <windows.h>

#include <functional>

#include "archive/QLDIBUTL.h"
#include "shell/QLWinHandles.h"

class TQLDIBImage {
public:
  TQLDIBImage();  // 25 × 25, scale 1, no picture
  ~TQLDIBImage();
  TQLDIBImage(const TQLDIBImage&) = delete;
  TQLDIBImage& operator=(const TQLDIBImage&) = delete;

  void SetParent(HWND Parent) { FParent = Parent; }
  HWND Parent() const { return FParent; }
  void SetBounds(int Left, int Top, int Width, int Height);
  RECT BoundsRect() const { return FBounds; }
  int Width() const { return FBounds.right - FBounds.left; }
  int Height() const { return FBounds.bottom - FBounds.top; }
  void SetColor(COLORREF Color) { FColor = Color; }

  bool Center() const { return FCenter; }
  void SetCenter(bool Value);  // repaints
  bool Decrease() const { return FDecrease; }
  void SetDecrease(bool Value) { FDecrease = Value; }
  // 1 after creation; k ≥ 1 enlarges by k, −k shrinks by k.
  int Scale() const { return FScale; }
  void SetScale(int Value);
  void SetCustomPaint(bool Value) { FCustomPaint = Value; }

  std::function<void()> OnAfterPaint;
  std::function<void()> OnCustomPaint;

  // Shows a copy of DIB (none removes the picture) and repaints unless
  // NoRepaint. A DIB that is not valid counts as none.
  void SetDIB(const TQLDIB& DIB, bool NoRepaint = false);
  bool HasPicture() const { return FInfo != nullptr; }
  // The palette the form realizes (none for a picture without colour table).
  HPALETTE Palette() const { return static_cast<HPALETTE>(FPalette.Get()); }

  // Paints into DC, a device context of the parent's client area.
  void Paint(HDC DC);
  // WM_QUERYNEWPALETTE and WM_PALETTECHANGED passed on by the parent: true
  // when the palette was realized.
  bool PaletteMessage(UINT Msg);
  void Invalidate();

private:
  void ReleasePicture();
  void SizeToPicture();
  void PaintPicture(HDC DC);

  HWND FParent = nullptr;
  RECT FBounds{0, 0, 25, 25};
  COLORREF FColor = GetSysColor(COLOR_BTNFACE);
  bool FCenter = false, FDecrease = false, FCustomPaint = false;
  int FScale = 1;
  TQLGlobalMemory FBlock;
  const BITMAPINFO* FInfo = nullptr;  // the locked block
  const void* FPixels = nullptr;
  TQLGdiObject FPalette;
};
