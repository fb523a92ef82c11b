#include "records/QLJournalFormat.h"

#include <algorithm>
#include <cctype>

#include "archive/QLNumberText.h"

namespace {

constexpr uint32_t kRegSz = 1;
constexpr int kDeepestKey = 64;  // deeper than any registry path can nest

class TWriter {
public:
  void Byte(uint8_t B) { FBytes.push_back(B); }
  void Number(uint32_t N) {
    for (int i = 0; i < 4; ++i) FBytes.push_back(uint8_t(N >> (8 * i)));
  }
  void Bytes(const void* Data, size_t Count) {
    Number(uint32_t(Count));
    const uint8_t* p = static_cast<const uint8_t*>(Data);
    FBytes.insert(FBytes.end(), p, p + Count);
  }
  void Text(const std::string& S) { Bytes(S.data(), S.size()); }
  std::vector<uint8_t>& Result() { return FBytes; }

private:
  std::vector<uint8_t> FBytes;
};

// Reads inside its block only; any step past the end leaves it failed.
class TReader {
public:
  explicit TReader(const std::vector<uint8_t>& Bytes) : FBytes(Bytes) {}
  bool Ok() const { return FOk; }
  bool AtEnd() const { return FPos == FBytes.size(); }
  uint8_t Byte() {
    if (!Need(1)) return 0;
    return FBytes[FPos++];
  }
  uint32_t Number() {
    if (!Need(4)) return 0;
    uint32_t n = 0;
    for (int i = 0; i < 4; ++i) n |= uint32_t(FBytes[FPos++]) << (8 * i);
    return n;
  }
  std::vector<uint8_t> Bytes() {
    const uint32_t count = Number();
    if (!Need(count)) return {};
    std::vector<uint8_t> out(FBytes.begin() + long(FPos), FBytes.begin() + long(FPos + count));
    FPos += count;
    return out;
  }
  std::string Text() {
    const std::vector<uint8_t> b = Bytes();
    return std::string(b.begin(), b.end());
  }
  // A count of items each at least MinSize bytes long, refused when the
  // block cannot hold that many.
  uint32_t Count(size_t MinSize) {
    const uint32_t n = Number();
    if (FOk && n > (FBytes.size() - FPos) / MinSize) FOk = false;
    return FOk ? n : 0;
  }

private:
  bool Need(size_t Count) {
    if (FOk && FBytes.size() - FPos >= Count) return true;
    FOk = false;
    return false;
  }
  const std::vector<uint8_t>& FBytes;
  size_t FPos = 0;
  bool FOk = true;
};

void WriteTree(TWriter& W, const TQLKeyTree& Tree) {
  W.Byte(Tree.Existed ? 1 : 0);
  W.Number(uint32_t(Tree.Values.size()));
  for (const TQLRegValue& v : Tree.Values) {
    W.Text(v.Name);
    W.Number(v.Type);
    W.Bytes(v.Data.data(), v.Data.size());
  }
  W.Number(uint32_t(Tree.Keys.size()));
  for (const TQLKeyTree& k : Tree.Keys) {
    W.Text(k.Name);
    WriteTree(W, k);
  }
}

bool ReadTree(TReader& R, TQLKeyTree& Tree, int Depth) {
  if (Depth > kDeepestKey) return false;
  Tree.Existed = R.Byte() != 0;
  for (uint32_t i = 0, n = R.Count(12); i < n && R.Ok(); ++i) {
    TQLRegValue v;
    v.Name = R.Text();
    v.Type = R.Number();
    v.Data = R.Bytes();
    Tree.Values.push_back(std::move(v));
  }
  for (uint32_t i = 0, n = R.Count(13); i < n && R.Ok(); ++i) {
    TQLKeyTree k;
    k.Name = R.Text();
    if (!ReadTree(R, k, Depth + 1)) return false;
    Tree.Keys.push_back(std::move(k));
  }
  return R.Ok();
}

std::string Upper(std::string S) {
  for (char& c : S) c = char(std::toupper(static_cast<unsigned char>(c)));
  return S;
}

// Text values compare without the terminating zeros some writers store.
std::vector<uint8_t> Comparable(const TQLRegValue& V) {
  std::vector<uint8_t> data = V.Data;
  if (V.Type == kRegSz || V.Type == 2)
    while (!data.empty() && data.back() == 0) data.pop_back();
  return data;
}

TQLRegValue DefaultText(const std::string& Text) {
  TQLRegValue v{"", kRegSz, std::vector<uint8_t>(Text.begin(), Text.end())};
  v.Data.push_back(0);
  return v;
}

TQLKeyTree KeyWithDefault(const std::string& Name, const std::string& Text) {
  TQLKeyTree k;
  k.Name = Name;
  k.Existed = true;
  k.Values.push_back(DefaultText(Text));
  return k;
}

}  // namespace

std::vector<uint8_t> EncodeJournalEntry(const TQLJournalEntry& Entry) {
  TWriter w;
  w.Byte(uint8_t(Entry.Kind));
  w.Byte(Entry.Ours ? 1 : 0);
  w.Text(Entry.Path);
  w.Text(Entry.Backup);
  w.Bytes(Entry.Data.data(), Entry.Data.size());
  return std::move(w.Result());
}

std::optional<TQLJournalEntry> DecodeJournalEntry(const std::vector<uint8_t>& Bytes) {
  TReader r(Bytes);
  TQLJournalEntry entry;
  const uint8_t kind = r.Byte();
  entry.Ours = r.Byte() != 0;
  entry.Path = r.Text();
  entry.Backup = r.Text();
  entry.Data = r.Bytes();
  if (!r.Ok() || !r.AtEnd() || kind < uint8_t(TQLJournalKind::FolderMade) ||
      kind > uint8_t(TQLJournalKind::DeleteWithdrawn) || entry.Path.empty())
    return std::nullopt;
  entry.Kind = TQLJournalKind(kind);
  return entry;
}

std::vector<uint8_t> EncodeKeyTree(const TQLKeyTree& Tree) {
  TWriter w;
  WriteTree(w, Tree);
  return std::move(w.Result());
}

std::optional<TQLKeyTree> DecodeKeyTree(const std::vector<uint8_t>& Bytes) {
  TReader r(Bytes);
  TQLKeyTree tree;
  if (!ReadTree(r, tree, 0) || !r.AtEnd()) return std::nullopt;
  return tree;
}

bool KeyTreeHolds(const TQLKeyTree& Found, const TQLKeyTree& Expected) {
  if (!Found.Existed) return false;
  for (const TQLRegValue& want : Expected.Values) {
    const auto same = [&](const TQLRegValue& v) {
      return Upper(v.Name) == Upper(want.Name) && v.Type == want.Type && Comparable(v) == Comparable(want);
    };
    if (std::none_of(Found.Values.begin(), Found.Values.end(), same)) return false;
  }
  for (const TQLKeyTree& want : Expected.Keys) {
    const auto holds = [&](const TQLKeyTree& k) { return Upper(k.Name) == Upper(want.Name) && KeyTreeHolds(k, want); };
    if (std::none_of(Found.Keys.begin(), Found.Keys.end(), holds)) return false;
  }
  return true;
}

TQLKeyTree FileTypeExtensionTree(const TQLRegistExt& Row) { return KeyWithDefault("", Row.ProgID); }

TQLKeyTree FileTypeClassTree(const TQLRegistExt& Row, const std::string& AppPath) {
  TQLKeyTree tree = KeyWithDefault("", Row.Description);
  tree.Keys.push_back(KeyWithDefault("DefaultIcon", AppPath + Row.Icon));
  if (!Row.ExeName.empty()) {
    TQLKeyTree command = KeyWithDefault("command", "\"" + AppPath + Row.ExeName + "\" \"%1\"");
    TQLKeyTree open = KeyWithDefault("open", "");
    open.Values.clear();
    open.Keys.push_back(std::move(command));
    TQLKeyTree shell = KeyWithDefault("shell", "");
    shell.Values.clear();
    shell.Keys.push_back(std::move(open));
    tree.Keys.push_back(std::move(shell));
  }
  return tree;
}

std::string KeptKeyPath(const std::string& Root, const std::string& Key) { return Root + "\\" + Key; }

std::optional<std::pair<std::string, std::string>> SplitKeptKeyPath(const std::string& Path) {
  const size_t slash = Path.find('\\');
  if (slash == std::string::npos || slash + 1 >= Path.size()) return std::nullopt;
  const std::string root = Path.substr(0, slash);
  if (root != "HKLM" && root != "HKCU" && root != "HKCR") return std::nullopt;
  return std::make_pair(root, Path.substr(slash + 1));
}

std::string KeptFileName(uint32_t Number) {
  return HexText(Number / kKeptFilesPerFolder, 4) + "\\" + HexText(Number, 8) + ".KEP";
}
