#include "archive/QLColorReduction.h"

#include <array>
#include <cmath>
#include <cstring>

#include "archive/QLDIBRLE.h"

namespace {

constexpr int Cells = 32;
constexpr double FailedAxisError = 17523.6;

using TQLHistogram = std::vector<uint32_t>;  // 32 × 32 × 32, red major

int CellIndex(int R, int G, int B) { return R << 10 | G << 5 | B; }
int CellOf(TQLRGB C) { return CellIndex(C.R >> 3, C.G >> 3, C.B >> 3); }

struct TQLBox {
  int Lo[3] = {0, 0, 0}, Hi[3] = {Cells, Cells, Cells};  // [lo, hi) per axis: red, green, blue
  double Count = 0;
  std::array<std::array<double, Cells>, 3> Axis{};
  double Mean[3] = {};
  double Error = 0;
};

// Axis histograms, occupied ranges, count, means and error of a box whose
// ranges are set; false when it holds no pixel.
bool Measure(TQLBox& Box, const TQLHistogram& Table, double Total) {
  for (auto& a : Box.Axis) a.fill(0);
  Box.Count = 0;
  for (int r = Box.Lo[0]; r < Box.Hi[0]; ++r)
    for (int g = Box.Lo[1]; g < Box.Hi[1]; ++g)
      for (int b = Box.Lo[2]; b < Box.Hi[2]; ++b) {
        double n = Table[size_t(CellIndex(r, g, b))];
        Box.Axis[0][size_t(r)] += n;
        Box.Axis[1][size_t(g)] += n;
        Box.Axis[2][size_t(b)] += n;
        Box.Count += n;
      }
  if (Box.Count == 0) return false;
  Box.Error = 0;
  for (int a = 0; a < 3; ++a) {
    while (Box.Axis[size_t(a)][size_t(Box.Lo[a])] == 0) ++Box.Lo[a];
    while (Box.Axis[size_t(a)][size_t(Box.Hi[a] - 1)] == 0) --Box.Hi[a];
    double sum = 0, squares = 0;
    for (int i = Box.Lo[a]; i < Box.Hi[a]; ++i) {
      sum += i * Box.Axis[size_t(a)][size_t(i)];
      squares += double(i) * i * Box.Axis[size_t(a)][size_t(i)];
    }
    Box.Mean[a] = sum / Box.Count;
    Box.Error += squares - Box.Count * Box.Mean[a] * Box.Mean[a];
  }
  Box.Error /= Total;
  return true;
}

// The best cut position on one axis, or -1.
int CutPosition(const TQLBox& Box, int A) {
  const auto& h = Box.Axis[size_t(A)];
  double mean = Box.Mean[A];
  int first = int(std::nearbyint((Box.Lo[A] + mean) / 2)), last = int(std::nearbyint((Box.Hi[A] + mean) / 2));
  double count = 0, m = 0, best = -1;
  int bestJ = -1;
  for (int i = Box.Lo[A]; i < first; ++i) count += h[size_t(i)];
  for (int j = first; j <= last && j < Cells; ++j) {
    count += h[size_t(j)];
    m += h[size_t(j)] * j / Box.Count;
    if (count >= Box.Count) break;
    double score = count / (Box.Count - count) * (mean - m) * (mean - m);
    if (score > best) best = score, bestJ = j;
  }
  return bestJ;
}

// Cuts Box on axis A into Lower and Upper; false when an axis cannot be cut.
bool Cut(const TQLBox& Box, int A, const TQLHistogram& Table, double Total, TQLBox& Lower, TQLBox& Upper) {
  if (Box.Hi[A] - Box.Lo[A] <= 1) return false;
  int j = CutPosition(Box, A);
  if (j < 0) return false;
  Lower = Box;
  Upper = Box;
  Lower.Hi[A] = j + 1;
  Upper.Lo[A] = j + 1;
  return Measure(Lower, Table, Total) && Measure(Upper, Table, Total);
}

std::vector<TQLBox> Boxes(const TQLHistogram& Table, double Total) {
  std::vector<TQLBox> boxes(1);
  Measure(boxes[0], Table, Total);
  while (boxes.size() < 256) {
    size_t pick = boxes.size();
    for (size_t i = 0; i < boxes.size(); ++i)
      if (boxes[i].Error > 0 && (pick == boxes.size() || boxes[i].Error > boxes[pick].Error)) pick = i;
    if (pick == boxes.size()) break;
    double bestError = FailedAxisError;
    TQLBox lower, upper, bestLower, bestUpper;
    for (int a = 0; a < 3; ++a) {
      if (!Cut(boxes[pick], a, Table, Total, lower, upper)) continue;
      if (lower.Error + upper.Error < bestError) {
        bestError = lower.Error + upper.Error;
        bestLower = lower;
        bestUpper = upper;
      }
    }
    if (bestError >= FailedAxisError) {
      boxes[pick].Error = 0;
      continue;
    }
    boxes[pick] = bestLower;
    boxes.push_back(bestUpper);
  }
  return boxes;
}

// Counts every pixel of a valid picture into its cell of Table.
void CountPixels(const TQLDIB& Picture, TQLHistogram& Table) {
  const TQLBitmapInfoHeader h = DIBHeader(Picture);
  const TQLPixelReader reader(Picture);
  if (IsRunLength(h)) {
    // The pixels no code writes are colour 0.
    uint64_t written = 0;
    WalkRLEPixels(Picture, [&](int32_t, int32_t, uint8_t V) { ++Table[size_t(CellOf(reader.Color(V)))], ++written; });
    Table[size_t(CellOf(reader.Color(0)))] += uint32_t(uint64_t(h.Width) * uint64_t(h.Height) - written);
    return;
  }
  std::vector<TQLRGB> colors(size_t(h.Width));
  for (int32_t y = 0; y < h.Height; ++y) {
    reader.Row(y, colors.data());
    for (const TQLRGB& c : colors) ++Table[size_t(CellOf(c))];
  }
}

// Writes the palette index of every pixel of a valid picture into the 8-bit
// rows at Pixels, through Map from cells to palette entries.
void MapPixels(const TQLDIB& Picture, const std::vector<uint8_t>& Map, uint8_t* Pixels) {
  const TQLBitmapInfoHeader h = DIBHeader(Picture);
  const TQLPixelReader reader(Picture);
  const uint64_t rowSize = DIBRowSize(h.Width, 8);
  if (IsRunLength(h)) {
    const uint8_t untouched = Map[size_t(CellOf(reader.Color(0)))];
    for (int32_t y = 0; y < h.Height; ++y) std::memset(Pixels + uint64_t(y) * rowSize, untouched, size_t(h.Width));
    WalkRLEPixels(Picture, [&](int32_t X, int32_t Y, uint8_t V) {
      Pixels[uint64_t(Y) * rowSize + uint64_t(X)] = Map[size_t(CellOf(reader.Color(V)))];
    });
    return;
  }
  std::vector<TQLRGB> colors(size_t(h.Width));
  for (int32_t y = 0; y < h.Height; ++y) {
    reader.Row(y, colors.data());
    uint8_t* row = Pixels + uint64_t(y) * rowSize;
    for (int32_t x = 0; x < h.Width; ++x) row[x] = Map[size_t(CellOf(colors[size_t(x)]))];
  }
}

}  // namespace

std::vector<TQLDIB> ReduceColors(const std::vector<TQLDIB>& Pictures) {
  std::vector<bool> accepted(Pictures.size());
  TQLHistogram table(Cells * Cells * Cells, 0);
  double total = 0;
  for (size_t n = 0; n < Pictures.size(); ++n) {
    const TQLDIB& p = Pictures[n];
    // The 8-bit result must be within the size limit too: checked before
    // anything is counted.
    accepted[n] = DIBValid(p) && DIBSizeAccepted(DIBHeader(p).Width, DIBHeader(p).Height, 8);
    if (!accepted[n]) continue;
    CountPixels(p, table);
    total += double(DIBHeader(p).Width) * DIBHeader(p).Height;
  }
  std::vector<TQLDIB> result(Pictures.size());
  if (total == 0) return result;
  std::vector<TQLBox> boxes = Boxes(table, total);
  std::vector<uint8_t> map(table.size(), 0);
  for (size_t k = 0; k < boxes.size(); ++k)
    for (int r = boxes[k].Lo[0]; r < boxes[k].Hi[0]; ++r)
      for (int g = boxes[k].Lo[1]; g < boxes[k].Hi[1]; ++g)
        for (int b = boxes[k].Lo[2]; b < boxes[k].Hi[2]; ++b) map[size_t(CellIndex(r, g, b))] = uint8_t(k);
  for (size_t n = 0; n < Pictures.size(); ++n) {
    if (!accepted[n]) continue;
    TQLBitmapInfoHeader h = DIBHeader(Pictures[n]);
    TQLBitmapInfoHeader out;
    out.Width = h.Width;
    out.Height = h.Height;
    out.BitCount = 8;
    out.ColorsUsed = 256;
    TQLDIB dib = NewDIB(out);
    for (size_t k = 0; k < boxes.size(); ++k)
      for (int a = 0; a < 3; ++a) dib[DIBHeaderSize + 4 * k + size_t(2 - a)] = uint8_t(std::nearbyint(boxes[k].Mean[a]) * 8);
    MapPixels(Pictures[n], map, dib.data() + DIBPixelOffset(out));
    result[n] = std::move(dib);
  }
  return result;
}
