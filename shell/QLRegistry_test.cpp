#include "shell/QLRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

const char* const TestRoot = "Software\\QLRegistryTest";

// The type and bytes of a value as the system stores them.
struct TRawValue {
  bool Found = false;
  DWORD Type = 0;
  std::vector<uint8_t> Data;
};

TRawValue RawValue(HKEY Root, const std::string& Key, const std::string& Name) {
  TRawValue value;
  HKEY key = nullptr;
  if (RegOpenKeyExA(Root, Key.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
  DWORD size = 1024;
  value.Data.resize(size);
  value.Found = RegQueryValueExA(key, Name.c_str(), nullptr, &value.Type, value.Data.data(), &size) == ERROR_SUCCESS;
  value.Data.resize(value.Found ? size : 0);
  RegCloseKey(key);
  return value;
}

void WriteRaw(HKEY Root, const std::string& Key, const std::string& Name, DWORD Type, const std::string& Bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(Root, Key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
  RegSetValueExA(key, Name.c_str(), 0, Type, reinterpret_cast<const BYTE*>(Bytes.data()), DWORD(Bytes.size()));
  RegCloseKey(key);
}

bool RawKeyExists(HKEY Root, const std::string& Key) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(Root, Key.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::string ErrorOf(const std::function<void()>& Action) {
  try {
    Action();
  } catch (const EQLRegistryError& e) {
    return e.what();
  }
  return "(nothing raised)";
}

class RegistryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, TestRoot);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, TestRoot);
  }
  std::string Key(const std::string& Sub) const { return std::string(TestRoot) + "\\" + Sub; }
};

TEST_F(RegistryTest, StringsAreAnsiWithTheTerminatorCounted) {
  TQLRegistry registry(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKey(Key("Strings"), true));
  registry.WriteString("Name", "Prismora SE");
  registry.WriteString("", "default");
  registry.WriteString("Empty", "");

  EXPECT_EQ(registry.GetDataSize("Name"), 12);
  EXPECT_EQ(registry.GetDataSize("Empty"), 1);
  EXPECT_EQ(registry.GetDataSize("Missing"), -1);
  EXPECT_EQ(registry.ReadString("Name"), "Prismora SE");
  EXPECT_EQ(registry.ReadString(""), "default");
  EXPECT_EQ(registry.ReadString("Missing"), "");
  registry.CloseKey();

  TRawValue raw = RawValue(HKEY_CURRENT_USER, Key("Strings"), "Name");
  ASSERT_TRUE(raw.Found);
  EXPECT_EQ(raw.Type, DWORD(REG_SZ));
  EXPECT_EQ(std::string(raw.Data.begin(), raw.Data.end()), std::string("Prismora SE\0", 12));
  EXPECT_EQ(RawValue(HKEY_CURRENT_USER, Key("Strings"), "").Type, DWORD(REG_SZ));
}

TEST_F(RegistryTest, StringReadStopsAtTheFirstZeroAndAcceptsExpandStrings) {
  WriteRaw(HKEY_CURRENT_USER, Key("Raw"), "Two", REG_SZ, std::string("one\0two\0", 8));
  WriteRaw(HKEY_CURRENT_USER, Key("Raw"), "Expand", REG_EXPAND_SZ, std::string("%TEMP%\\x\0", 9));
  WriteRaw(HKEY_CURRENT_USER, Key("Raw"), "NoZero", REG_SZ, "abc");
  TQLRegistry registry(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKeyReadOnly(Key("Raw")));
  EXPECT_EQ(registry.ReadString("Two"), "one");
  EXPECT_EQ(registry.ReadString("Expand"), "%TEMP%\\x");
  EXPECT_EQ(registry.ReadString("NoZero"), "abc");
}

TEST_F(RegistryTest, IntegersAndBinaryRecords) {
  TQLRegistry registry(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKey(Key("Numbers"), true));
  registry.WriteInteger("Count", 327680);
  registry.WriteInteger("Negative", -2);
  const uint8_t record[] = {1, 0, 0, 0x80, 0xFF, 0, 7};
  registry.WriteBinaryData("Record", record, sizeof(record));
  registry.WriteBinaryData("EmptyRecord", record, 0);

  EXPECT_EQ(registry.ReadInteger("Count"), 327680);
  EXPECT_EQ(registry.ReadInteger("Negative"), -2);
  EXPECT_FALSE(registry.ReadInteger("Missing").has_value());
  EXPECT_EQ(registry.GetDataSize("Record"), 7);
  EXPECT_EQ(registry.ReadBinaryData("Record"), std::vector<uint8_t>(record, record + sizeof(record)));
  EXPECT_TRUE(registry.ValueExists("EmptyRecord"));
  EXPECT_TRUE(registry.ReadBinaryData("EmptyRecord").empty());
  EXPECT_TRUE(registry.ReadBinaryData("Missing").empty());
  registry.CloseKey();

  // Values past the first read's buffer come back whole.
  std::vector<uint8_t> large(5000);
  for (size_t i = 0; i < large.size(); ++i) large[i] = uint8_t(i * 7 + 1);
  const std::string longText(1500, 'x');
  ASSERT_TRUE(registry.OpenKey(Key("Numbers"), true));
  registry.WriteBinaryData("Large", large.data(), large.size());
  registry.WriteString("LongText", longText);
  EXPECT_EQ(registry.ReadBinaryData("Large"), large);
  EXPECT_EQ(registry.ReadString("LongText"), longText);
  registry.CloseKey();

  EXPECT_EQ(RawValue(HKEY_CURRENT_USER, Key("Numbers"), "Count").Type, DWORD(REG_DWORD));
  EXPECT_EQ(RawValue(HKEY_CURRENT_USER, Key("Numbers"), "Count").Data, (std::vector<uint8_t>{0, 0, 5, 0}));
  EXPECT_EQ(RawValue(HKEY_CURRENT_USER, Key("Numbers"), "Record").Type, DWORD(REG_BINARY));
}

TEST_F(RegistryTest, AllValuesComeWithTheirTypesAndWholeData) {
  TQLRegistry registry(HKEY_CURRENT_USER);
  EXPECT_TRUE(registry.ReadAllValues().empty());  // no key open
  ASSERT_TRUE(registry.OpenKey(Key("All"), true));
  EXPECT_TRUE(registry.ReadAllValues().empty());
  std::vector<uint8_t> large(3000);
  for (size_t i = 0; i < large.size(); ++i) large[i] = uint8_t(i * 13 + 5);
  registry.WriteBinaryData("App00000000", large.data(), large.size());
  registry.WriteString("Text", "abc");
  registry.WriteInteger("Count", 7);
  registry.WriteBinaryData("Empty", large.data(), 0);
  std::vector<TQLRegistryValue> values = registry.ReadAllValues();
  ASSERT_EQ(4u, values.size());
  std::sort(values.begin(), values.end(), [](const TQLRegistryValue& a, const TQLRegistryValue& b) { return a.Name < b.Name; });
  EXPECT_EQ("App00000000", values[0].Name);
  EXPECT_EQ(DWORD(REG_BINARY), values[0].Type);
  EXPECT_EQ(large, values[0].Data);
  EXPECT_EQ("Count", values[1].Name);
  EXPECT_EQ((std::vector<uint8_t>{7, 0, 0, 0}), values[1].Data);
  EXPECT_EQ("Empty", values[2].Name);
  EXPECT_TRUE(values[2].Data.empty());
  EXPECT_EQ(DWORD(REG_SZ), values[3].Type);
  EXPECT_EQ((std::vector<uint8_t>{'a', 'b', 'c', 0}), values[3].Data);
}

TEST_F(RegistryTest, AValueOfTheWrongTypeRaisesInvalidDataType) {
  WriteRaw(HKEY_CURRENT_USER, Key("Types"), "Text", REG_SZ, std::string("5\0", 2));
  WriteRaw(HKEY_CURRENT_USER, Key("Types"), "Expand", REG_EXPAND_SZ, std::string("x\0", 2));
  WriteRaw(HKEY_CURRENT_USER, Key("Types"), "Number", REG_DWORD, std::string("\1\0\0\0", 4));
  WriteRaw(HKEY_CURRENT_USER, Key("Types"), "Bytes", REG_BINARY, "ab");
  WriteRaw(HKEY_CURRENT_USER, Key("Types"), "Multi", REG_MULTI_SZ, std::string("a\0\0", 3));
  TQLRegistry registry(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKeyReadOnly(Key("Types")));

  EXPECT_EQ(ErrorOf([&] { registry.ReadInteger("Text"); }), "Invalid data type for 'Text'");
  EXPECT_EQ(ErrorOf([&] { registry.ReadInteger("Bytes"); }), "Invalid data type for 'Bytes'");
  EXPECT_EQ(ErrorOf([&] { registry.ReadString("Number"); }), "Invalid data type for 'Number'");
  EXPECT_EQ(ErrorOf([&] { registry.ReadString("Bytes"); }), "Invalid data type for 'Bytes'");
  EXPECT_EQ(ErrorOf([&] { registry.ReadBinaryData("Text"); }), "Invalid data type for 'Text'");
  EXPECT_EQ(ErrorOf([&] { registry.ReadBinaryData("Expand"); }), "Invalid data type for 'Expand'");
  EXPECT_EQ(ErrorOf([&] { registry.ReadBinaryData("Number"); }), "Invalid data type for 'Number'");
  // Types without a typed reader of their own are read as bytes.
  EXPECT_EQ(registry.ReadBinaryData("Multi"), (std::vector<uint8_t>{'a', 0, 0}));
}

TEST_F(RegistryTest, AValueThatCannotBeWrittenRaisesFailedToSetData) {
  TQLRegistry registry(HKEY_CURRENT_USER);
  ASSERT_TRUE(registry.OpenKey(Key("ReadOnly"), true));
  registry.CloseKey();
  EXPECT_EQ(ErrorOf([&] { registry.WriteString("Closed", "x"); }), "Failed to set data for 'Closed'");

  ASSERT_TRUE(registry.OpenKeyReadOnly(Key("ReadOnly")));
  EXPECT_EQ(ErrorOf([&] { registry.WriteString("Name", "x"); }), "Failed to set data for 'Name'");
  EXPECT_EQ(ErrorOf([&] { registry.WriteInteger("InstallItem", 1); }), "Failed to set data for 'InstallItem'");
  EXPECT_EQ(ErrorOf([&] { registry.WriteBinaryData("App00000000", "x", 1); }), "Failed to set data for 'App00000000'");
  EXPECT_FALSE(registry.ValueExists("Name"));
}

TEST_F(RegistryTest, OpeningWithAndWithoutCreation) {
  TQLRegistry registry(HKEY_CURRENT_USER);
  EXPECT_FALSE(registry.OpenKey(Key("A\\B\\C"), false));
  EXPECT_FALSE(registry.OpenKeyReadOnly(Key("A\\B\\C")));
  EXPECT_FALSE(registry.HasOpenKey());
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Key("A")));

  ASSERT_TRUE(registry.OpenKey("\\" + Key("A\\B\\C"), true));  // leading separator: still from the root
  EXPECT_TRUE(registry.HasOpenKey());
  registry.WriteString("V", "1");
  EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, Key("A\\B\\C")));
  EXPECT_TRUE(registry.KeyExists(Key("A\\B")));
  EXPECT_FALSE(registry.KeyExists(Key("A\\X")));

  ASSERT_TRUE(registry.OpenKey(Key("A\\B\\C"), false));
  EXPECT_EQ(registry.ReadString("V"), "1");
  EXPECT_TRUE(registry.DeleteValue("V"));
  EXPECT_FALSE(registry.ValueExists("V"));
  EXPECT_FALSE(registry.DeleteValue("V"));
}

TEST_F(RegistryTest, DeleteKeyRemovesANestedTreeAndNothingElse) {
  TQLRegistry registry(HKEY_CURRENT_USER);
  for (const char* sub : {"Tree\\00", "Tree\\01\\Deep\\Deeper", "Tree\\01\\Other", "Tree\\02", "Sibling"}) {
    ASSERT_TRUE(registry.OpenKey(Key(sub), true));
    registry.WriteString("App00000000", sub);
    registry.WriteInteger("InstallItem", 1);
  }
  registry.CloseKey();

  EXPECT_TRUE(registry.DeleteKey(Key("Tree")));
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Key("Tree")));
  EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, Key("Sibling")));
  EXPECT_FALSE(registry.DeleteKey(Key("Tree")));
  EXPECT_FALSE(registry.DeleteKey(""));
  EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, TestRoot));
}

TEST_F(RegistryTest, RootSwitchingChangesWhereKeysAreFound) {
  TQLRegistry registry(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(registry.OpenKey(Key("Root"), true));
  registry.WriteString("Where", "machine");
  registry.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_EQ(registry.RootKey(), HKEY_CURRENT_USER);
  EXPECT_FALSE(registry.HasOpenKey());
  EXPECT_FALSE(registry.OpenKeyReadOnly(Key("Root")));
  ASSERT_TRUE(registry.OpenKey(Key("Root"), true));
  registry.WriteString("Where", "user");
  registry.CloseKey();

  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(registry.OpenKeyReadOnly(Key("Root")));
  EXPECT_EQ(registry.ReadString("Where"), "machine");
  TRawValue user = RawValue(HKEY_CURRENT_USER, Key("Root"), "Where");
  EXPECT_EQ(std::string(user.Data.begin(), user.Data.end()), std::string("user\0", 5));

  registry.SetRootKey(HKEY_CLASSES_ROOT);
  ASSERT_TRUE(registry.OpenKey(".qlregistrytest", true));
  registry.WriteString("", "QLRegistryTestFile");
  registry.CloseKey();
  TRawValue classes = RawValue(HKEY_CLASSES_ROOT, ".qlregistrytest", "");
  EXPECT_TRUE(classes.Found);
  EXPECT_TRUE(registry.DeleteKey(".qlregistrytest"));
  EXPECT_FALSE(RawKeyExists(HKEY_CLASSES_ROOT, ".qlregistrytest"));
}

}  // namespace
