// Paths between the system's UTF-16 form and the ANSI text the installation
// stores (records, registry values, messages). The running program's path
// and every path the system hands out are read with the wide functions and
// narrowed here; a path that has no exact ANSI form is given by its short
// (8.3) form when that one has, and otherwise reported as unusable (empty).
// TQLWideText holds the UTF-16 side: the characters and a terminating zero.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// UTF-16 text as the system's wide functions take and give it; the
// terminating zero is always there and never counted in size().
class TQLWideText {
public:
  TQLWideText() : FChars(1, L'\0') {}
  TQLWideText(const wchar_t* Text, size_t Length);
  explicit TQLWideText(const wchar_t* Text);  // up to its terminating zero

  size_t size() const { return FChars.size() - 1; }
  bool empty() const { return FChars.size() == 1; }
  const wchar_t* c_str() const { return FChars.data(); }
  const wchar_t* data() const { return FChars.data(); }
  wchar_t* data() { return FChars.data(); }
  wchar_t operator[](size_t Index) const { return FChars[Index]; }
  const wchar_t* begin() const { return FChars.data(); }
  const wchar_t* end() const { return FChars.data() + size(); }

  // Characters added by a longer length are zeros.
  void resize(size_t Length);
  TQLWideText& operator+=(wchar_t C);
  TQLWideText& operator+=(const TQLWideText& Text);
  bool operator==(const TQLWideText& Other) const { return FChars == Other.FChars; }

private:
  std::vector<wchar_t> FChars;
};

// The ANSI path as the system's UTF-16 path (the ANSI code page's mapping).
TQLWideText WidePathOf(const std::string& Path);

// True, with Ansi set, when every character of Path has an exact ANSI form.
bool ExactAnsiOf(const TQLWideText& Path, std::string& Ansi);

// Text for messages and the log: a character with no ANSI form shows as
// the code page's default character.
std::string ShownAnsiOf(const TQLWideText& Text);

// UTF-8 and back, without loss.
std::string Utf8Of(const TQLWideText& Text);
TQLWideText WideOfUtf8(const std::string& Utf8);

// Path in ANSI text that names the same file: the exact form, else the
// short form of an existing file or folder; empty when neither exists.
std::string StorablePathOf(const TQLWideText& Path);

// The running program's full path, whatever its length.
TQLWideText ProgramPathW();
