#include "skin/memory_module.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "skin/export_lookup.h"
#include "skin/pe_headers.h"

namespace skin {

constexpr std::uint32_t kPageSize = 0x1000;
// Far more than any library the program carries; a header asking for more is damaged.
constexpr std::uint32_t kLargestImage = 256u << 20;
constexpr std::uint32_t kProcessAttach = 1;
constexpr std::uint32_t kProcessDetach = 0;
constexpr std::uint16_t kRelocationHighLow = 3;
constexpr std::uint32_t kImportByOrdinal = 0x80000000;
constexpr std::uint32_t kImportDescriptorSize = 20;

LoadedImage::LoadedImage(ImageMemory& memory, ImportLibraries& libraries,
                         ImageMemory::Region region, std::uint32_t size)
    : memory_(memory),
      libraries_(libraries),
      codeBase_(region.address),
      bytes_(region.bytes),
      size_(size) {}

LoadedImage::~LoadedImage() {
  if (initialized_) {
    memory_.callEntryPoint(codeBase_ + entryPoint_, codeBase_, kProcessDetach);
    initialized_ = false;
  }
  for (ImportLibraries::Handle module : modules_) libraries_.free(module);
  memory_.release(codeBase_);
}

// The steps of one load, in order; each gives LoadError::None to go on.
class ImageMapper {
 public:
  ImageMapper(std::span<const std::uint8_t> source, ImageMemory& memory, ImportLibraries& libraries)
      : source_(source.data(), source.size()),
        sourceData_(source.data()),
        memory_(memory),
        libraries_(libraries) {}

  LoadResult load() {
    HeaderReading reading = readHeaders(source_);
    if (!reading.headers) {
      return fail(reading.problem == HeaderProblem::NotAnImage    ? LoadError::NotAnImage
                  : reading.problem == HeaderProblem::Unsupported ? LoadError::UnsupportedImage
                                                                  : LoadError::DamagedImage);
    }
    headers_ = std::move(*reading.headers);
    for (LoadError step : {checkLayout(), reserve()}) {
      if (step != LoadError::None) return fail(step);
    }
    for (auto step :
         {&ImageMapper::copyHeadersAndSections, &ImageMapper::relocate,
          &ImageMapper::resolveImports, &ImageMapper::protectSections, &ImageMapper::attach}) {
      if (LoadError error = (this->*step)(); error != LoadError::None) return fail(error);
    }
    return {std::move(image_), LoadError::None};
  }

 private:
  LoadResult fail(LoadError error) {
    image_.reset();  // undoes whatever was mapped and loaded
    return {nullptr, error};
  }

  // Everything the later steps rely on, checked before any memory is touched.
  LoadError checkLayout() const {
    const ImageHeaders& h = headers_;
    std::uint32_t alignment = h.sectionAlignment;
    if (alignment < kPageSize || (alignment & (alignment - 1)) != 0) {
      return LoadError::UnsupportedImage;
    }
    if (h.imageSize == 0 || h.imageSize > kLargestImage || h.headersSize > h.imageSize ||
        h.headersSize > source_.size() || h.sectionTableEnd > h.headersSize) {
      return LoadError::DamagedImage;
    }
    std::uint64_t previousEnd = h.headersSize;
    for (const SectionHeader& s : h.sections) {
      std::uint64_t start = s.virtualAddress;
      if (start % alignment != 0 || start < previousEnd || start >= h.imageSize) {
        return LoadError::DamagedImage;
      }
      if (std::uint64_t(s.rawSize) > h.imageSize - start) return LoadError::DamagedImage;
      if (s.rawSize > 0 && !source_.holds(s.rawOffset, s.rawSize)) {
        return LoadError::DamagedImage;
      }
      previousEnd = start + 1;
    }
    if (h.entryPoint >= h.imageSize) return LoadError::DamagedImage;
    return LoadError::None;
  }

  LoadError reserve() {
    auto region = memory_.reserve(headers_.imageBase, headers_.imageSize);
    if (!region) region = memory_.reserve(0, headers_.imageSize);
    if (!region) return LoadError::NoAddressSpace;
    image_ = std::make_unique<LoadedImage>(memory_, libraries_, *region, headers_.imageSize);
    image_->ntHeadersOffset_ = headers_.ntHeaders;
    image_->entryPoint_ = headers_.entryPoint;
    bool relocationsUsable =
        headers_.relocations.size > 0 && !(headers_.fileCharacteristics & kRelocationsStripped);
    if (delta() != 0 && !relocationsUsable) return LoadError::NotRelocatable;
    return LoadError::None;
  }

  std::uint32_t delta() const { return image_->codeBase_ - headers_.imageBase; }
  std::uint8_t* at(std::uint32_t offset) const { return image_->bytes_ + offset; }
  ImageView mapped() const { return ImageView(image_->bytes_, headers_.imageSize); }

  void write32(std::uint32_t offset, std::uint32_t value) const {
    std::uint8_t* p = at(offset);
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(value >> (8 * i));
  }

  // The section's room in the image: up to the next section, or the end of the image.
  std::uint32_t roomOf(std::size_t index) const {
    std::uint32_t start = headers_.sections[index].virtualAddress;
    std::uint32_t end = index + 1 < headers_.sections.size()
                            ? headers_.sections[index + 1].virtualAddress
                            : headers_.imageSize;
    return end - start;
  }

  LoadError copyHeadersAndSections() {
    std::uint32_t base = image_->codeBase_;
    if (!memory_.commit(base, headers_.imageSize)) return LoadError::MemoryRefused;
    std::memcpy(at(0), sourceBytes(0), headers_.headersSize);
    write32(headers_.imageBaseOffset, base);
    for (std::size_t i = 0; i < headers_.sections.size(); ++i) {
      const SectionHeader& s = headers_.sections[i];
      if (s.rawSize > 0) {
        std::memcpy(at(s.virtualAddress), sourceBytes(s.rawOffset), s.rawSize);
      } else {
        // Committed pages are zero already; cleared anyway, as the image expects zeros there.
        std::uint32_t zeros = std::min(headers_.sectionAlignment, roomOf(i));
        std::memset(at(s.virtualAddress), 0, zeros);
      }
    }
    return LoadError::None;
  }

  const std::uint8_t* sourceBytes(std::uint32_t offset) const { return sourceData_ + offset; }

  LoadError relocate() {
    std::uint32_t delta = this->delta();
    if (delta == 0) return LoadError::None;
    DataDirectory directory = headers_.relocations;
    ImageView image = mapped();
    if (!image.holds(directory.rva, directory.size)) return LoadError::DamagedImage;
    std::uint64_t block = directory.rva;
    std::uint64_t end = std::uint64_t(directory.rva) + directory.size;
    while (end - block >= 8) {
      std::uint32_t page = *image.u32(block);
      std::uint32_t blockSize = *image.u32(block + 4);
      if (page == 0) break;
      if (blockSize < 8 || blockSize > end - block) return LoadError::DamagedImage;
      for (std::uint32_t entry = 8; entry + 2 <= blockSize; entry += 2) {
        std::uint16_t value = *image.u16(block + entry);
        if (value >> 12 != kRelocationHighLow) continue;
        std::uint64_t target = std::uint64_t(page) + (value & 0xFFF);
        auto old = image.u32(target);
        if (!old) return LoadError::DamagedImage;
        write32(std::uint32_t(target), *old + delta);
      }
      block += blockSize;
    }
    return LoadError::None;
  }

  LoadError resolveImports() {
    if (headers_.imports.size == 0) return LoadError::None;
    ImageView image = mapped();
    for (std::uint64_t descriptor = headers_.imports.rva;
         image.holds(descriptor, kImportDescriptorSize); descriptor += kImportDescriptorSize) {
      std::uint32_t nameThunks = *image.u32(descriptor);
      std::uint32_t libraryName = *image.u32(descriptor + 12);
      std::uint32_t addressSlots = *image.u32(descriptor + 16);
      if (libraryName == 0) break;
      auto name = image.name(libraryName);
      if (!name || addressSlots == 0) return LoadError::DamagedImage;
      auto module = libraries_.load(std::string(*name));
      if (!module) return LoadError::LibraryMissing;
      image_->modules_.push_back(*module);
      std::uint64_t thunk = nameThunks != 0 ? nameThunks : addressSlots;
      for (std::uint64_t slot = addressSlots;; thunk += 4, slot += 4) {
        auto value = image.u32(thunk);
        if (!value || !image.holds(slot, 4)) return LoadError::DamagedImage;
        if (*value == 0) break;
        std::optional<std::uint32_t> function;
        if (*value & kImportByOrdinal) {
          function = libraries_.byOrdinal(*module, std::uint16_t(*value & 0xFFFF));
        } else {
          auto functionName = image.name(std::uint64_t(*value) + 2);  // after the hint
          if (!functionName) return LoadError::DamagedImage;
          function = libraries_.byName(*module, std::string(*functionName));
        }
        if (!function || *function == 0) return LoadError::ImportMissing;
        write32(std::uint32_t(slot), *function);
      }
    }
    return LoadError::None;
  }

  static std::uint32_t protectionFor(std::uint32_t characteristics) {
    static constexpr std::uint32_t kByExecuteReadWrite[8] = {
        kNoAccess, kWriteCopy,        kReadOnly,    kReadWrite,
        kExecute,  kExecuteWriteCopy, kExecuteRead, kExecuteReadWrite};
    std::uint32_t index = (characteristics & kSectionExecute ? 4 : 0) |
                          (characteristics & kSectionRead ? 2 : 0) |
                          (characteristics & kSectionWrite ? 1 : 0);
    std::uint32_t protection = kByExecuteReadWrite[index];
    if (characteristics & kSectionNotCached) protection |= kNoCache;
    return protection;
  }

  LoadError protectSections() {
    for (std::size_t i = 0; i < headers_.sections.size(); ++i) {
      const SectionHeader& s = headers_.sections[i];
      std::uint32_t address = image_->codeBase_ + s.virtualAddress;
      // Never past the section's own room: its pages are the only ones it may change.
      std::uint32_t room = roomOf(i);
      if (s.characteristics & kSectionDiscardable) {
        std::uint32_t size = std::min(s.rawSize, room);
        if (size > 0) memory_.decommit(address, size);
        continue;
      }
      std::uint32_t size = s.rawSize;
      if (size == 0) {
        size = s.characteristics & kSectionInitializedData     ? headers_.initializedDataSize
               : s.characteristics & kSectionUninitializedData ? headers_.uninitializedDataSize
                                                               : 0;
      }
      size = std::min(size, room);
      if (size > 0) memory_.protect(address, size, protectionFor(s.characteristics));
    }
    return LoadError::None;
  }

  LoadError attach() {
    if (headers_.entryPoint == 0) return LoadError::None;
    std::uint32_t base = image_->codeBase_;
    if (!memory_.callEntryPoint(base + headers_.entryPoint, base, kProcessAttach)) {
      return LoadError::EntryPointRefused;
    }
    image_->initialized_ = true;
    return LoadError::None;
  }

  ImageView source_;
  const std::uint8_t* sourceData_ = nullptr;
  ImageMemory& memory_;
  ImportLibraries& libraries_;
  ImageHeaders headers_{};
  std::unique_ptr<LoadedImage> image_;
};

LoadResult loadImageFromMemory(std::span<const std::uint8_t> source, ImageMemory& memory,
                               ImportLibraries& libraries) {
  return ImageMapper(source, memory, libraries).load();
}

std::optional<std::uint32_t> findExport(const LoadedImage& image, std::string_view name) {
  auto offset = exportedFunction(ImageView(image.bytes(), image.size()), name);
  if (!offset) return std::nullopt;
  return image.codeBase() + *offset;
}

void freeImage(std::unique_ptr<LoadedImage> image) { image.reset(); }

}  // namespace skin
