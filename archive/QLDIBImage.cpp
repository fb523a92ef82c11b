#include "archive/QLDIBImage.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/QLColorReduction.h"

TQLDIBImage::TQLDIBImage() = default;

TQLDIBImage::~TQLDIBImage() {
  OnAfterPaint = nullptr;
  ReleasePicture();
}

void TQLDIBImage::SetBounds(int Left, int Top, int Width, int Height) {
  Invalidate();
  FBounds = {Left, Top, Left + Width, Top + Height};
  Invalidate();
}

void TQLDIBImage::SetCenter(bool Value) {
  if (Value == FCenter) return;
  FCenter = Value;
  Invalidate();
}

void TQLDIBImage::SetScale(int Value) {
  if (Value == 0 || Value == FScale) return;
  FScale = Value;
  SizeToPicture();
  Invalidate();
}

void TQLDIBImage::ReleasePicture() {
  if (FBlock) GlobalUnlock(FBlock.Get());
  FBlock.Reset();
  FInfo = nullptr;
  FPixels = nullptr;
}

namespace {

bool ScreenHasPalette() {
  TQLWindowDC screen(nullptr);
  return GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES) <= 8;
}

// A logical palette from the colour table of DIB.
HPALETTE MakePalette(const TQLDIB& DIB) {
  TQLBitmapInfoHeader h = DIBHeader(DIB);
  if (DIBColorTableSize(h) == 0) return nullptr;
  std::vector<uint8_t> block(sizeof(LOGPALETTE) + h.ColorsUsed * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(block.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = WORD(h.ColorsUsed);
  for (uint32_t i = 0; i < h.ColorsUsed; ++i) {
    const uint8_t* c = DIB.data() + DIBHeaderSize + 4 * i;
    palette->palPalEntry[i] = {c[2], c[1], c[0], 0};
  }
  return CreatePalette(palette);
}

}  // namespace

void TQLDIBImage::SetDIB(const TQLDIB& DIB, bool NoRepaint) {
  ReleasePicture();
  if (DIBValid(DIB)) {
    TQLDIB reduced;
    if (FDecrease && DIBHeader(DIB).BitCount > 8 && ScreenHasPalette()) reduced = ReduceColors({DIB}).front();
    const TQLDIB& shown = reduced.empty() ? DIB : reduced;
    TQLGlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, shown.size()));
    void* data = block ? GlobalLock(block.Get()) : nullptr;
    if (data) {
      std::memcpy(data, shown.data(), shown.size());
      FBlock = std::move(block);
      FInfo = static_cast<const BITMAPINFO*>(data);
      FPixels = static_cast<const uint8_t*>(data) + DIBPixelOffset(DIBHeader(shown));
      SizeToPicture();
      FPalette.Reset(MakePalette(shown));
    }
  }
  if (!NoRepaint) Invalidate();
}

void TQLDIBImage::SizeToPicture() {
  if (!FInfo) return;
  LONG w = FInfo->bmiHeader.biWidth, h = FInfo->bmiHeader.biHeight;
  if (FScale > 0) SetBounds(FBounds.left, FBounds.top, w * FScale, h * FScale);
  else SetBounds(FBounds.left, FBounds.top, w / -FScale, h / -FScale);
}

void TQLDIBImage::Invalidate() {
  if (FParent) InvalidateRect(FParent, &FBounds, FALSE);
}

void TQLDIBImage::Paint(HDC DC) {
  if (!FParent) return;
  if (FCustomPaint) {
    if (OnCustomPaint) OnCustomPaint();
    return;
  }
  if (!FInfo) {
    TQLGdiObject brush(CreateSolidBrush(FColor));
    FillRect(DC, &FBounds, static_cast<HBRUSH>(brush.Get()));
    return;
  }
  HPALETTE old = nullptr;
  if (FPalette) {
    old = SelectPalette(DC, Palette(), FALSE);
    RealizePalette(DC);
  }
  SetStretchBltMode(DC, COLORONCOLOR);
  PaintPicture(DC);
  if (old) SelectPalette(DC, old, FALSE);
  if (OnAfterPaint) OnAfterPaint();
}

void TQLDIBImage::PaintPicture(HDC DC) {
  int pw = FInfo->bmiHeader.biWidth, ph = FInfo->bmiHeader.biHeight;
  int x = FBounds.left, y = FBounds.top;
  if (FScale < 0) {
    int k = -FScale;
    StretchDIBits(DC, x, y, pw / k, ph / k, 0, 0, pw, ph, FPixels, FInfo, DIB_RGB_COLORS, SRCCOPY);
    return;
  }
  // The part of the picture that fits the control, from its top-left corner.
  int sw = std::min(pw, Width()), sh = std::min(ph, Height());
  int dx = 0, dy = 0;
  if (FCenter) {
    dx = std::max((Width() - sw * FScale) / 2, 0);
    dy = std::max((Height() - sh * FScale) / 2, 0);
  }
  StretchDIBits(DC, x + dx, y + dy, sw * FScale, sh * FScale, 0, ph - sh, sw, sh, FPixels, FInfo, DIB_RGB_COLORS,
                SRCCOPY);
}

bool TQLDIBImage::PaletteMessage(UINT Msg) {
  if ((Msg != WM_QUERYNEWPALETTE && Msg != WM_PALETTECHANGED) || !FParent || !FInfo || !FPalette) return false;
  TQLWindowDC dc(FParent);
  HPALETTE old = SelectPalette(dc.Get(), Palette(), FALSE);
  bool changed = RealizePalette(dc.Get()) != GDI_ERROR;
  SelectPalette(dc.Get(), old, FALSE);
  return changed;
}
