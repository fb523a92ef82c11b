#include "shell/QLWidePath.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "shell/QLWinHandles.h"
#include "tests/support/TempFolder.h"

namespace {

// The characters of Text and, right after them, the terminating zero.
void ExpectText(const wchar_t* Expected, const TQLWideText& Text) {
  EXPECT_EQ(wcslen(Expected), Text.size());
  EXPECT_EQ(0, wcscmp(Expected, Text.c_str()));
  EXPECT_EQ(L'\0', Text.c_str()[Text.size()]);
}

// A file named Name in Folder, made through the wide functions.
TQLWideText MakeWideFile(const std::string& Folder, const wchar_t* Name) {
  TQLWideText path = WidePathOf(Folder);
  path += TQLWideText(Name);
  TQLFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(file);
  return path;
}

}  // namespace

TEST(WideText, KeepsItsTerminatingZeroThroughEveryChange) {
  TQLWideText text;
  EXPECT_TRUE(text.empty());
  ExpectText(L"", text);
  text += L'a';
  text += TQLWideText(L"bcd", 2);
  ExpectText(L"abc", text);
  text.resize(5);
  EXPECT_EQ(5u, text.size());
  EXPECT_EQ(L'\0', text[3]);
  EXPECT_EQ(L'\0', text[4]);
  text.resize(2);
  ExpectText(L"ab", text);
  EXPECT_EQ(std::wstring(L"ab"), std::wstring(text.begin(), text.end()));
}

TEST(WideText, EqualOnlyWithTheSameCharacters) {
  EXPECT_EQ(TQLWideText(L"C:\\A"), TQLWideText(L"C:\\A\\B", 4));
  EXPECT_FALSE(TQLWideText(L"C:\\A") == TQLWideText(L"C:\\a"));
  EXPECT_FALSE(TQLWideText(L"C:\\A") == TQLWideText(L"C:\\A\\"));
}

TEST(WidePath, AnAnsiPathGoesBothWays) {
  const TQLWideText wide = WidePathOf("C:\\Program Files\\Prismora SE\\caf\xe9.txt");
  ExpectText(L"C:\\Program Files\\Prismora SE\\caf\u00e9.txt", wide);
  std::string ansi;
  EXPECT_TRUE(ExactAnsiOf(wide, ansi));
  EXPECT_EQ("C:\\Program Files\\Prismora SE\\caf\xe9.txt", ansi);
  EXPECT_TRUE(WidePathOf("").empty());
}

TEST(WidePath, ANameOutsideTheCodePageIsStoredByItsShortForm) {
  TTempFolder temp;
  const TQLWideText path = MakeWideFile(temp.Path(), L"\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0430.txt");
  std::string ansi;
  EXPECT_FALSE(ExactAnsiOf(path, ansi));
  const std::string stored = StorablePathOf(path);
  ASSERT_FALSE(stored.empty());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(stored.c_str())) << stored;
  DeleteFileW(path.c_str());
  EXPECT_EQ("", StorablePathOf(path));  // gone: no short form either
}

TEST(WidePath, TheProgramPathNamesThisTest) {
  const TQLWideText path = ProgramPathW();
  const std::wstring text(path.begin(), path.end());
  ASSERT_GT(text.size(), 4u);
  EXPECT_EQ(0, _wcsicmp(L".exe", text.c_str() + text.size() - 4));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
}
