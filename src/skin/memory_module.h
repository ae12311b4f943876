// Loading a library image from memory: mapping it the way the system's loader would, without a
// file. loadImageFromMemory maps the sections, applies the base relocations, resolves the imports
// by name or ordinal, sets each section's page protection and runs the entry point; findExport
// finds a function by its exact name; freeImage detaches and unmaps it again.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "skin/image_host.h"

namespace skin {

enum class LoadError {
  None,
  NotAnImage,         // no "MZ" / "PE\0\0" signatures
  UnsupportedImage,   // not a 32-bit x86 image, or laid out in a way this loader does not map
  DamagedImage,       // a header, table or name that does not fit the image
  NoAddressSpace,     // the image's size could not be reserved, at its base or anywhere
  NotRelocatable,     // it cannot stay at its base and has no relocations
  MemoryRefused,      // the reserved pages could not be committed
  LibraryMissing,     // a library it imports could not be loaded
  ImportMissing,      // a function it imports was not found
  EntryPointRefused,  // its entry point answered the attach call with 0
  Unsupported,        // this system maps no images into the running process
};

// One mapped image. Destroying it is freeImage: the entry point is told to detach, the imported
// libraries are freed and the address range is released.
class LoadedImage {
 public:
  LoadedImage(ImageMemory& memory, ImportLibraries& libraries, ImageMemory::Region region,
              std::uint32_t size);
  ~LoadedImage();
  LoadedImage(const LoadedImage&) = delete;
  LoadedImage& operator=(const LoadedImage&) = delete;

  std::uint32_t codeBase() const { return codeBase_; }
  std::uint32_t size() const { return size_; }
  // The mapped image as this process sees it, headers first.
  const std::uint8_t* bytes() const { return bytes_; }
  std::uint32_t ntHeaders() const { return codeBase_ + ntHeadersOffset_; }
  const std::vector<ImportLibraries::Handle>& modules() const { return modules_; }
  bool initialized() const { return initialized_; }

 private:
  friend class ImageMapper;
  ImageMemory& memory_;
  ImportLibraries& libraries_;
  std::uint32_t codeBase_;
  std::uint8_t* bytes_;
  std::uint32_t size_;
  std::uint32_t ntHeadersOffset_ = 0;
  std::uint32_t entryPoint_ = 0;  // relative to codeBase_, 0 for none
  std::vector<ImportLibraries::Handle> modules_;
  bool initialized_ = false;
};

struct LoadResult {
  std::unique_ptr<LoadedImage> image;
  LoadError error = LoadError::None;
};

// Maps the library image held in `source`. Any failure undoes what was done so far.
LoadResult loadImageFromMemory(std::span<const std::uint8_t> source, ImageMemory& memory,
                               ImportLibraries& libraries);

// The address of the export called exactly `name`; none for no such export or a forwarded one.
std::optional<std::uint32_t> findExport(const LoadedImage& image, std::string_view name);

void freeImage(std::unique_ptr<LoadedImage> image);

}  // namespace skin
