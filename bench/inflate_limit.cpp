// The limit the extractor is measured against: every entry of an archive
// inflated straight from a memory map of the archive into its file with
// plain zlib calls, and nothing else (no checks, no dates, no prompts).
//   inflate_limit ARCHIVE DEST
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int32_t Le32(const uint8_t* p) { return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24); }

bool InflateTo(const uint8_t* data, int32_t size, const std::string& path) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  z_stream z{};
  inflateInit(&z);
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = uInt(size);
  std::vector<uint8_t> buf(32768);
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = buf.data();
    z.avail_out = uInt(buf.size());
    rc = inflate(&z, Z_NO_FLUSH);
    std::fwrite(buf.data(), 1, buf.size() - z.avail_out, out);
  }
  inflateEnd(&z);
  std::fclose(out);
  return rc == Z_STREAM_END;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  int fd = open(argv[1], O_RDONLY);
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0) return 1;
  auto* base = static_cast<const uint8_t*>(mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0));
  if (base == MAP_FAILED) return 1;
  int32_t count = Le32(base + 32);
  const uint8_t* p = base + 48;
  std::string dest = argv[2];
  for (int32_t i = 0; i < count; ++i) {
    int32_t nameLength = Le32(p + 12);
    std::string name(reinterpret_cast<const char*>(p + 16), size_t(nameLength));
    for (char& c : name)
      if (c == '\\') c = '_';  // one flat folder: no folder creation in the limit
    int32_t compressed = Le32(p + 16 + nameLength);
    if (!InflateTo(p + 20 + nameLength, compressed, dest + "/" + name)) return 1;
    p += 24 + nameLength + compressed;
  }
  munmap(const_cast<uint8_t*>(base), size_t(st.st_size));
  close(fd);
  return 0;
}
