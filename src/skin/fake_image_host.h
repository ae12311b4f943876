// Stand-ins for the system under the image loader, for tests and fuzzing: address space held in
// this process's memory with the page states the system would keep, libraries that hand out
// made-up function addresses, and entry points that are recorded rather than run.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "skin/image_host.h"

namespace skin {

class FakeImageMemory final : public ImageMemory {
 public:
  struct PageState {
    bool committed = false;
    std::uint32_t protection = 0;
  };
  struct EntryCall {
    std::uint32_t entry, base, reason;
  };

  // Reservations asked for at these addresses fail: someone else is there.
  std::set<std::uint32_t> taken;
  // Larger reservations fail, as a full address space would.
  std::uint32_t largestReservation = 64u << 20;
  bool entryPointAnswer = true;
  std::vector<EntryCall> entryCalls;

  std::optional<Region> reserve(std::uint32_t address, std::uint32_t size) override;
  bool commit(std::uint32_t address, std::uint32_t size) override;
  bool decommit(std::uint32_t address, std::uint32_t size) override;
  bool protect(std::uint32_t address, std::uint32_t size, std::uint32_t protection) override;
  void release(std::uint32_t address) override;
  bool callEntryPoint(std::uint32_t entry, std::uint32_t base, std::uint32_t reason) override;

  std::size_t reservedRegions() const { return regions_.size(); }
  // The state of the page holding `address`; none outside every reservation.
  std::optional<PageState> page(std::uint32_t address) const;

 private:
  struct Reservation {
    std::vector<std::uint8_t> bytes;
    std::vector<PageState> pages;
  };
  // The pages of [address, address + size) inside one reservation; none when it leaves it.
  struct Pages {
    Reservation* reservation;
    std::size_t first, last;
  };
  std::optional<Pages> pagesOf(std::uint32_t address, std::uint32_t size);

  std::map<std::uint32_t, Reservation> regions_;
  std::uint32_t nextAnywhere_ = 0x20000000;
};

class FakeImportLibraries final : public ImportLibraries {
 public:
  struct Lookup {
    std::string library;
    std::string name;  // empty for a lookup by ordinal
    std::optional<std::uint16_t> ordinal;
  };

  // Library names (lower case) that cannot be loaded, and functions ("library!Name" or
  // "library!#ordinal", lower-case library) that cannot be found.
  std::set<std::string> missingLibraries;
  std::set<std::string> missingFunctions;
  std::vector<Lookup> lookups;
  int extraFrees = 0;  // frees of libraries that were not loaded

  std::optional<Handle> load(const std::string& name) override;
  std::optional<std::uint32_t> byName(Handle library, const std::string& name) override;
  std::optional<std::uint32_t> byOrdinal(Handle library, std::uint16_t ordinal) override;
  void free(Handle library) override;

  // The address handed out for "library!Name" or "library!#ordinal", if it was asked for.
  std::optional<std::uint32_t> addressOf(const std::string& function) const;
  // Loads not yet freed.
  int stillLoaded() const;
  std::vector<std::string> loadedNames() const;

 private:
  std::optional<std::uint32_t> lookUp(Handle library, const std::string& key);

  std::vector<std::string> names_;  // handle - 1 indexes this
  std::map<Handle, int> loadCounts_;
  std::map<std::string, std::uint32_t> addresses_;
};

}  // namespace skin
