#include "engine/version_resource.h"

#include <cstdint>

namespace {

constexpr uint32_t kVersionType = 16;  // RT_VERSION
constexpr uint32_t kVersionName = 1;   // VS_VERSION_INFO
constexpr uint32_t kHighBit = 0x80000000u;
constexpr size_t kSectionHeader = 40;
constexpr size_t kDirectoryHeader = 16;
constexpr size_t kDirectoryEntry = 8;
constexpr size_t kDataEntry = 16;

class Image {
 public:
  Image(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(size) {}

  bool Has(size_t offset, size_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  bool U16(size_t offset, uint32_t& value) const {
    if (!Has(offset, 2)) return false;
    value = bytes_[offset] | (bytes_[offset + 1] << 8);
    return true;
  }
  bool U32(size_t offset, uint32_t& value) const {
    if (!Has(offset, 4)) return false;
    value = static_cast<uint32_t>(bytes_[offset]) | (static_cast<uint32_t>(bytes_[offset + 1]) << 8) |
            (static_cast<uint32_t>(bytes_[offset + 2]) << 16) |
            (static_cast<uint32_t>(bytes_[offset + 3]) << 24);
    return true;
  }

 private:
  const unsigned char* bytes_;
  size_t size_;
};

// The file offset of length bytes at a relative virtual address, inside one section's
// raw data.
class Sections {
 public:
  Sections(const Image& image, size_t table, uint32_t count)
      : image_(image), table_(table), count_(count) {}

  bool ToOffset(uint32_t rva, size_t length, size_t& offset) const {
    for (uint32_t i = 0; i < count_; ++i) {
      size_t header = table_ + i * kSectionHeader;
      uint32_t address = 0, rawSize = 0, rawOffset = 0;
      if (!image_.U32(header + 12, address) || !image_.U32(header + 16, rawSize) ||
          !image_.U32(header + 20, rawOffset))
        return false;
      if (rva < address || rva - address >= rawSize) continue;
      size_t inside = rva - address;
      if (length > rawSize - inside) return false;
      offset = static_cast<size_t>(rawOffset) + inside;
      return image_.Has(offset, length);
    }
    return false;
  }

 private:
  const Image& image_;
  size_t table_;
  uint32_t count_;
};

struct Resources {
  const Image& image;
  const Sections& sections;
  uint32_t root;  // address of the root directory
};

// The entry of a resource directory with the given id, or its first entry (any = true);
// value receives the entry's offset field.
bool FindEntry(const Resources& r, uint32_t directory, bool any, uint32_t id, uint32_t& value) {
  size_t at = 0;
  uint32_t named = 0, ids = 0;
  if (!r.sections.ToOffset(directory, kDirectoryHeader, at) || !r.image.U16(at + 12, named) ||
      !r.image.U16(at + 14, ids))
    return false;
  uint32_t total = named + ids;
  size_t entries = 0;
  if (total == 0 || directory > UINT32_MAX - kDirectoryHeader ||
      !r.sections.ToOffset(directory + kDirectoryHeader,
                                         static_cast<size_t>(total) * kDirectoryEntry, entries))
    return false;
  for (uint32_t i = 0; i < total; ++i) {
    uint32_t name = 0;
    if (!r.image.U32(entries + i * kDirectoryEntry, name) ||
        !r.image.U32(entries + i * kDirectoryEntry + 4, value))
      return false;
    if (any || (!(name & kHighBit) && name == id)) return true;
  }
  return false;
}

// The sub-directory an entry leads to; false for a data entry or an address that overflows.
bool SubDirectory(const Resources& r, uint32_t value, uint32_t& directory) {
  if (!(value & kHighBit)) return false;
  uint32_t offset = value & ~kHighBit;
  if (offset > UINT32_MAX - r.root) return false;
  directory = r.root + offset;
  return true;
}

bool FindInResources(const Resources& r, size_t& offset, size_t& length) {
  uint32_t value = 0, types = 0, names = 0;
  if (!FindEntry(r, r.root, false, kVersionType, value) || !SubDirectory(r, value, types)) return false;
  if (!FindEntry(r, types, false, kVersionName, value) || !SubDirectory(r, value, names)) return false;
  if (!FindEntry(r, names, true, 0, value) || (value & kHighBit)) return false;
  if (value > UINT32_MAX - r.root) return false;
  size_t entry = 0;
  uint32_t dataAddress = 0, dataSize = 0;
  if (!r.sections.ToOffset(r.root + value, kDataEntry, entry) || !r.image.U32(entry, dataAddress) ||
      !r.image.U32(entry + 4, dataSize) || dataSize == 0)
    return false;
  size_t at = 0;
  if (!r.sections.ToOffset(dataAddress, dataSize, at)) return false;
  offset = at;
  length = dataSize;
  return true;
}

}  // namespace

bool FindVersionResource(const unsigned char* bytes, size_t size, size_t& offset, size_t& length) {
  offset = length = 0;
  if (!bytes) return false;
  Image image(bytes, size);
  uint32_t mz = 0, headerAt = 0, signature = 0;
  if (!image.U16(0, mz) || mz != 0x5A4D || !image.U32(0x3C, headerAt) ||
      !image.U32(headerAt, signature) || signature != 0x00004550)
    return false;
  size_t fileHeader = static_cast<size_t>(headerAt) + 4;
  uint32_t sectionCount = 0, optionalSize = 0, magic = 0;
  if (!image.U16(fileHeader + 2, sectionCount) || !image.U16(fileHeader + 16, optionalSize))
    return false;
  size_t optional = fileHeader + 20;
  if (!image.U16(optional, magic)) return false;
  size_t countAt = magic == 0x20b ? 108 : magic == 0x10b ? 92 : 0;
  if (countAt == 0) return false;
  uint32_t directoryCount = 0, resourceAddress = 0, resourceSize = 0;
  size_t resourceEntry = countAt + 4 + 2 * 8;  // the third data directory
  if (!image.U32(optional + countAt, directoryCount) || directoryCount < 3 ||
      resourceEntry + 8 > optionalSize || !image.U32(optional + resourceEntry, resourceAddress) ||
      !image.U32(optional + resourceEntry + 4, resourceSize) || resourceAddress == 0 ||
      resourceSize == 0)
    return false;
  Sections sections(image, optional + optionalSize, sectionCount);
  Resources resources{image, sections, resourceAddress};
  return FindInResources(resources, offset, length);
}
