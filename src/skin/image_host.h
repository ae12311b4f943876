// What the image loader needs from the system: address space for the image, the libraries its
// imports name, and a way to run its entry point. The loader reaches the system only through
// these two interfaces, so all of its image logic runs natively against a fake.
//
// Addresses are those of the 32-bit address space the image runs in; on Windows they are plain
// pointers, in a fake they only need to be consistent.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace skin {

// Page protections, by the values the system gives them.
enum Protection : std::uint32_t {
  kNoAccess = 0x01,
  kReadOnly = 0x02,
  kReadWrite = 0x04,
  kWriteCopy = 0x08,
  kExecute = 0x10,
  kExecuteRead = 0x20,
  kExecuteReadWrite = 0x40,
  kExecuteWriteCopy = 0x80,
  kNoCache = 0x200,
};

class ImageMemory {
 public:
  virtual ~ImageMemory() = default;

  struct Region {
    std::uint32_t address;
    std::uint8_t* bytes;  // where this process sees the region
  };
  // Reserves `size` bytes at `address`, or anywhere when `address` is 0.
  virtual std::optional<Region> reserve(std::uint32_t address, std::uint32_t size) = 0;
  // Commits pages of a reserved region, read-write and zero-filled.
  virtual bool commit(std::uint32_t address, std::uint32_t size) = 0;
  virtual bool decommit(std::uint32_t address, std::uint32_t size) = 0;
  virtual bool protect(std::uint32_t address, std::uint32_t size, std::uint32_t protection) = 0;
  // Gives a whole reserved region back.
  virtual void release(std::uint32_t address) = 0;
  // Calls a library's entry point as the system does: (image base, reason, 0). Its answer.
  virtual bool callEntryPoint(std::uint32_t entry, std::uint32_t base, std::uint32_t reason) = 0;
};

// The libraries an image imports from. Later this sits on the platform's shared-library service.
class ImportLibraries {
 public:
  virtual ~ImportLibraries() = default;
  using Handle = std::uintptr_t;

  virtual std::optional<Handle> load(const std::string& name) = 0;
  virtual std::optional<std::uint32_t> byName(Handle library, const std::string& name) = 0;
  virtual std::optional<std::uint32_t> byOrdinal(Handle library, std::uint16_t ordinal) = 0;
  virtual void free(Handle library) = 0;
};

}  // namespace skin
