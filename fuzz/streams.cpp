// Fuzz target: the streams. The first byte of each step picks an operation
// on a memory stream attached to the rest of the input (typed reads, seeks,
// peeks, refused writes) or on an owned stream the step grows; the last mode
// decodes the input as one zlib stream. Every refusal must come as
// EQLStreamError, and what is written and read back must match.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "archive/QLMemoryStream.h"
#include "archive/QLZStream.h"

namespace {

void Step(TQLTurboStream& S, FuzzedDataProvider& In) {
  std::string text;
  std::vector<std::string> list;
  std::u16string wide;
  uint8_t buffer[64] = {};
  switch (In.ConsumeIntegralInRange(0, 9)) {
    case 0: S.ReadString(text); break;
    case 1: S.ReadStrings(list); break;
    case 2: S.ReadWideString(wide); break;
    case 3: S.Seek(In.ConsumeIntegral<int32_t>(), In.ConsumeIntegralInRange(0, 2)); break;
    case 4: S.Peek(buffer, In.ConsumeIntegralInRange<int32_t>(-1, sizeof buffer)); break;
    case 5: S.ReadBuffer(buffer, In.ConsumeIntegralInRange<int32_t>(-1, sizeof buffer)); break;
    case 6: S.ReadInt32(), S.ReadDouble(), S.ReadUInt64(); break;
    case 7: S.Write(buffer, In.ConsumeIntegralInRange<int32_t>(-1, sizeof buffer)); break;
    case 8: S.WriteTaggedString(In.ConsumeIntegral<uint8_t>(), In.ConsumeRandomLengthString(64)); break;
    default: S.WriteWideString(u"a\r\nb"); break;
  }
}

// Typed values written to an owned stream come back as they were.
void RoundTrip(FuzzedDataProvider& In) {
  TQLMemoryStream s;
  std::string text = In.ConsumeRandomLengthString(300);
  std::u16string wide(text.begin(), text.end());
  s.WriteString(text);
  s.WriteWideString(wide);
  s.SetSize(In.ConsumeIntegralInRange<int32_t>(s.GetSize(), s.GetSize() + 20000));
  s.Seek(0, 0);
  std::string back;
  std::u16string wideBack;
  s.ReadString(back);
  s.ReadWideString(wideBack);
  if (back != text.substr(0, text.find('\0')) || wideBack != wide) std::abort();
}

void Inflate(const uint8_t* Data, size_t Size) {
  TQLMemoryStream source;
  source.Attach(Data, int32_t(Size));
  TQLZDecompressStream z(source, int32_t(Size));
  uint8_t out[4096];
  int64_t total = 0;
  for (int32_t n; (n = z.Read(out, sizeof out)) > 0;) {
    total += n;
    if (total > 64 << 20) return;
  }
  if (z.Position() != total) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 2 || Size > INT32_MAX) return 0;
  try {
    switch (Data[0] % 3) {
      case 0: {
        FuzzedDataProvider script(Data + 1, Size / 4);
        std::vector<uint8_t> block(Data + 1 + Size / 4, Data + Size);  // writes may change it
        TQLMemoryStream s;
        s.Attach(block.data(), int32_t(block.size()));
        while (script.remaining_bytes() > 0) {
          try {
            Step(s, script);
          } catch (const EQLStreamError&) {
          }
          if (s.GetPosition() < 0 || s.GetPosition() > s.GetSize()) std::abort();
        }
        break;
      }
      case 1: {
        FuzzedDataProvider in(Data + 1, Size - 1);
        RoundTrip(in);
        break;
      }
      default: Inflate(Data + 1, Size - 1); break;
    }
  } catch (const EQLStreamError&) {
  }
  return 0;
}
