#include "archive/QLDIBImage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "archive/QLMemoryStream.h"
#include "tests/support/PngFile.h"
#include "tests/support/WindowDriver.h"

namespace {

TQLDIB Background() {
  std::ifstream in(QL_RESOURCES_DIR "/background.bmp", std::ios::binary);
  std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  TQLMemoryStream s;
  s.Attach(file.data(), int32_t(file.size()));
  return LoadBitmapFromStream(s);
}

// The parent: a plain window; the control paints into its DC.
class TQLHost {
public:
  TQLHost() {
    FWindow = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 300, nullptr, nullptr, nullptr, nullptr);
  }
  ~TQLHost() { DestroyWindow(FWindow); }
  HWND Get() const { return FWindow; }

private:
  HWND FWindow;
};

// A 32-bit memory canvas of W × H filled with a marker colour.
class TQLCanvas {
public:
  TQLCanvas(int W, int H) : FWidth(W), FDC(CreateCompatibleDC(nullptr)) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), W, -H, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    FBitmap.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&FBits), nullptr, 0));
    SelectObject(FDC.Get(), FBitmap.Get());
    for (int i = 0; i < W * H; ++i) FBits[i] = 0x00FF00FF;
  }
  HDC DC() const { return FDC.Get(); }
  uint32_t At(int X, int Y) const { return FBits[Y * FWidth + X] & 0xFFFFFF; }

private:
  int FWidth;
  TQLMemoryDC FDC;
  TQLGdiObject FBitmap;
  uint32_t* FBits = nullptr;
};

constexpr uint32_t Marker = 0xFF00FF;

// The picture's pixel (x, y from the top) as the canvas stores it.
uint32_t PicturePixel(const TQLDIB& RGB, int X, int Y) {
  TQLRGB c = TQLPixelReader(RGB).At(X, DIBHeader(RGB).Height - 1 - Y);
  return uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | c.B;
}

TEST(DIBImage, PaintsThePictureFromTheTopLeftCorner) {
  TQLDIB dib = Background(), rgb = ConvertDIBTo24(dib);
  ASSERT_FALSE(rgb.empty());
  TQLHost host;
  TQLDIBImage image;
  EXPECT_EQ(25, image.Width());
  EXPECT_FALSE(image.HasPicture());
  image.SetParent(host.Get());
  image.SetBounds(4, 3, 532, 251);
  image.SetDIB(dib);
  dib.assign(dib.size(), 0);  // the control keeps its own copy
  EXPECT_TRUE(image.HasPicture());
  EXPECT_EQ(531, image.Width());  // sized to the picture
  EXPECT_EQ(250, image.Height());
  ASSERT_NE(nullptr, image.Palette());
  EXPECT_EQ(256u, GetPaletteEntries(image.Palette(), 0, 0, nullptr));
  PALETTEENTRY first{};
  GetPaletteEntries(image.Palette(), 0, 1, &first);
  EXPECT_EQ(232, first.peRed);
  EXPECT_EQ(250, first.peBlue);
  image.SetBounds(4, 3, 532, 251);  // the page's size
  TQLCanvas canvas(600, 300);
  image.Paint(canvas.DC());
  for (int y : {0, 100, 160, 249})
    for (int x : {0, 150, 300, 530}) EXPECT_EQ(PicturePixel(rgb, x, y), canvas.At(4 + x, 3 + y)) << x << "," << y;
  EXPECT_EQ(Marker, canvas.At(3, 3));
  EXPECT_EQ(Marker, canvas.At(4 + 531, 3));
  EXPECT_EQ(Marker, canvas.At(4, 3 + 250));
}

TEST(DIBImage, CentredScaledAndClipped) {
  TQLDIB dib = Background(), rgb = ConvertDIBTo24(dib);
  TQLHost host;
  TQLDIBImage image;
  image.SetParent(host.Get());
  image.SetDIB(dib);
  // Centred in a larger control.
  image.SetBounds(0, 0, 591, 290);
  image.SetCenter(true);
  TQLCanvas centred(600, 300);
  image.Paint(centred.DC());
  EXPECT_EQ(PicturePixel(rgb, 0, 0), centred.At(30, 20));
  EXPECT_EQ(PicturePixel(rgb, 265, 160), centred.At(295, 180));
  EXPECT_EQ(Marker, centred.At(29, 20));
  // Larger than the control: drawn from (0, 0), its top-left part visible.
  image.SetBounds(0, 0, 200, 100);
  TQLCanvas clipped(600, 300);
  image.Paint(clipped.DC());
  EXPECT_EQ(PicturePixel(rgb, 0, 0), clipped.At(0, 0));
  EXPECT_EQ(PicturePixel(rgb, 199, 99), clipped.At(199, 99));
  EXPECT_EQ(Marker, clipped.At(200, 50));
  // Shrunk by 2 and enlarged by 2.
  image.SetCenter(false);
  image.SetScale(-2);
  EXPECT_EQ(265, image.Width());
  TQLCanvas half(600, 300);
  image.Paint(half.DC());
  EXPECT_EQ(PicturePixel(rgb, 0, 0), half.At(0, 0));
  EXPECT_EQ(Marker, half.At(266, 10));
  image.SetScale(2);
  EXPECT_EQ(1062, image.Width());
  image.SetBounds(0, 0, 600, 300);
  TQLCanvas twice(600, 300);
  image.Paint(twice.DC());
  EXPECT_EQ(PicturePixel(rgb, 80, 75), twice.At(160, 150));
  EXPECT_EQ(PicturePixel(rgb, 80, 75), twice.At(161, 151));
}

TEST(DIBImage, ColourCustomPaintAndNoParent) {
  TQLHost host;
  TQLDIBImage image;
  image.SetColor(RGB(10, 20, 30));
  TQLCanvas canvas(100, 100);
  image.Paint(canvas.DC());  // no parent: nothing
  EXPECT_EQ(Marker, canvas.At(5, 5));
  image.SetParent(host.Get());
  image.Paint(canvas.DC());  // no picture: its colour
  EXPECT_EQ(0x0A141Eu, canvas.At(5, 5));
  EXPECT_EQ(Marker, canvas.At(25, 25));
  int custom = 0, after = 0;
  image.OnCustomPaint = [&] { ++custom; };
  image.OnAfterPaint = [&] { ++after; };
  image.SetDIB(Background());
  image.SetCustomPaint(true);
  TQLCanvas other(100, 100);
  image.Paint(other.DC());
  EXPECT_EQ(1, custom);
  EXPECT_EQ(0, after);
  EXPECT_EQ(Marker, other.At(5, 5));
  image.SetCustomPaint(false);
  image.Paint(other.DC());
  EXPECT_EQ(1, after);
  // Removing the picture keeps the palette; an invalid block counts as none.
  HPALETTE palette = image.Palette();
  image.SetDIB(TQLDIB());
  EXPECT_FALSE(image.HasPicture());
  EXPECT_EQ(palette, image.Palette());
  image.SetDIB(TQLDIB(60, 1));
  EXPECT_FALSE(image.HasPicture());
  // A picture without colour table has no palette.
  image.SetDIB(ConvertDIBTo24(Background()));
  EXPECT_TRUE(image.HasPicture());
  EXPECT_EQ(nullptr, image.Palette());
  EXPECT_FALSE(image.PaletteMessage(WM_QUERYNEWPALETTE));
  image.SetDIB(Background());
  EXPECT_TRUE(image.PaletteMessage(WM_QUERYNEWPALETTE));
  EXPECT_FALSE(image.PaletteMessage(WM_PAINT));
}

// A visible page showing the picture, captured for a person to look at.
LRESULT CALLBACK PageProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* image = reinterpret_cast<TQLDIBImage*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
  if (Msg == WM_PAINT && image) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Window, &ps);
    image->Paint(dc);
    EndPaint(Window, &ps);
    return 0;
  }
  return DefWindowProcA(Window, Msg, WParam, LParam);
}

TEST(DIBImage, ShownOnAWindow) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = PageProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "QLDIBImageTestPage";
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  RegisterClassA(&wc);
  RECT r{0, 0, 532, 251};
  AdjustWindowRect(&r, WS_POPUP | WS_BORDER, FALSE);
  HWND page = CreateWindowExA(0, "QLDIBImageTestPage", "Prismora SE", WS_POPUP | WS_BORDER, 100, 100,
                              r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
  TQLDIBImage image;
  image.SetParent(page);
  image.SetDIB(Background());
  image.SetBounds(0, 0, 532, 251);
  SetWindowLongPtrA(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&image));
  ShowWindow(page, SW_SHOW);
  UpdateWindow(page);
  MSG msg;
  for (int i = 0; i < 20; ++i) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(20);
  }
  int w = 0, h = 0;
  std::vector<uint8_t> rgb = CaptureWindowRgb(page, w, h);
  EXPECT_TRUE(WritePngFile(std::string(QL_SCREENSHOT_DIR) + "/dib-image.png", w, h, rgb));
  ASSERT_FALSE(rgb.empty());
  // The screen shows the picture's pixels where the page's client area is.
  TQLDIB pictureRgb = ConvertDIBTo24(Background());
  RECT window{};
  GetWindowRect(page, &window);
  POINT client{0, 0};
  ClientToScreen(page, &client);
  for (POINT at : {POINT{5, 5}, POINT{200, 160}, POINT{530, 249}}) {
    size_t x = size_t(client.x - window.left + at.x), y = size_t(client.y - window.top + at.y);
    const uint8_t* p = &rgb[(y * size_t(w) + x) * 3];
    EXPECT_EQ(PicturePixel(pictureRgb, at.x, at.y), uint32_t(p[0] << 16 | p[1] << 8 | p[2])) << at.x << "," << at.y;
  }
  DestroyWindow(page);
}

}  // namespace
