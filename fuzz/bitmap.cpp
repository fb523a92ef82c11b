// Fuzz target: the bitmap loader and the format conversions. The input is a
// bitmap file in a memory stream; a picture the loader accepts must be a
// valid DIB, and it is converted to 24 and 16 bits as a page would need it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "archive/QLDIBUTL.h"
#include "archive/QLMemoryStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > INT32_MAX) return 0;
  TQLMemoryStream stream;
  stream.Attach(Data, int32_t(Size));
  TQLDIB dib = LoadBitmapFromStream(stream);
  if (dib.empty()) return 0;
  if (!DIBValid(dib)) std::abort();
  TQLDIB wide = ConvertDIBTo24(dib);
  if (!wide.empty() && !DIBValid(wide)) std::abort();
  TQLDIB narrow = ConvertDIBTo16(dib, Size % 2 == 0);
  if (!narrow.empty() && !DIBValid(narrow)) std::abort();
  return 0;
}
