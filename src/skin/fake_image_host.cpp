#include "skin/fake_image_host.h"

#include <algorithm>
#include <cctype>

namespace skin {
namespace {

constexpr std::uint32_t kPage = 0x1000;
constexpr std::uint32_t kGranularity = 0x10000;  // reservations start on 64 KB, as on Windows

std::uint64_t roundUp(std::uint64_t value, std::uint64_t unit) {
  return (value + unit - 1) / unit * unit;
}

std::string lowerCase(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::optional<ImageMemory::Region> FakeImageMemory::reserve(std::uint32_t address,
                                                            std::uint32_t size) {
  if (size == 0 || size > largestReservation) return std::nullopt;
  std::uint64_t length = roundUp(size, kPage);
  std::uint32_t base;
  if (address != 0) {
    if (taken.count(address)) return std::nullopt;
    base = address / kGranularity * kGranularity;
  } else {
    base = nextAnywhere_;
    nextAnywhere_ += std::uint32_t(roundUp(length, kGranularity));
  }
  if (std::uint64_t(base) + length > 0x100000000ull) return std::nullopt;
  for (const auto& [start, reservation] : regions_) {
    if (base < start + reservation.bytes.size() && start < base + length) return std::nullopt;
  }
  Reservation& reservation = regions_[base];
  // Junk rather than zeros: the loader must not count on memory it has not committed.
  reservation.bytes.assign(length, 0xA5);
  reservation.pages.assign(length / kPage, {});
  return Region{base, reservation.bytes.data()};
}

std::optional<FakeImageMemory::Pages> FakeImageMemory::pagesOf(std::uint32_t address,
                                                               std::uint32_t size) {
  auto it = regions_.upper_bound(address);
  if (it == regions_.begin() || size == 0) return std::nullopt;
  --it;
  std::uint64_t offset = address - it->first;
  if (offset + size > it->second.bytes.size()) return std::nullopt;
  return Pages{&it->second, std::size_t(offset / kPage),
               std::size_t(roundUp(offset + size, kPage) / kPage)};
}

bool FakeImageMemory::commit(std::uint32_t address, std::uint32_t size) {
  auto pages = pagesOf(address, size);
  if (!pages) return false;
  for (std::size_t p = pages->first; p < pages->last; ++p) {
    PageState& state = pages->reservation->pages[p];
    if (!state.committed) {
      std::fill_n(pages->reservation->bytes.begin() + std::ptrdiff_t(p * kPage), kPage, 0);
      state = {true, kReadWrite};
    }
  }
  return true;
}

bool FakeImageMemory::decommit(std::uint32_t address, std::uint32_t size) {
  auto pages = pagesOf(address, size);
  if (!pages) return false;
  for (std::size_t p = pages->first; p < pages->last; ++p) pages->reservation->pages[p] = {};
  return true;
}

bool FakeImageMemory::protect(std::uint32_t address, std::uint32_t size, std::uint32_t protection) {
  auto pages = pagesOf(address, size);
  if (!pages) return false;
  auto& states = pages->reservation->pages;
  for (std::size_t p = pages->first; p < pages->last; ++p) {
    if (!states[p].committed) return false;
  }
  for (std::size_t p = pages->first; p < pages->last; ++p) states[p].protection = protection;
  return true;
}

void FakeImageMemory::release(std::uint32_t address) { regions_.erase(address); }

bool FakeImageMemory::callEntryPoint(std::uint32_t entry, std::uint32_t base,
                                     std::uint32_t reason) {
  entryCalls.push_back({entry, base, reason});
  return entryPointAnswer;
}

std::optional<FakeImageMemory::PageState> FakeImageMemory::page(std::uint32_t address) const {
  auto it = regions_.upper_bound(address);
  if (it == regions_.begin()) return std::nullopt;
  --it;
  std::uint64_t offset = address - it->first;
  if (offset >= it->second.bytes.size()) return std::nullopt;
  return it->second.pages[std::size_t(offset / kPage)];
}

std::optional<ImportLibraries::Handle> FakeImportLibraries::load(const std::string& name) {
  std::string lower = lowerCase(name);
  if (missingLibraries.count(lower)) return std::nullopt;
  auto found = std::find(names_.begin(), names_.end(), lower);
  Handle handle = Handle(found - names_.begin()) + 1;
  if (found == names_.end()) names_.push_back(lower);
  ++loadCounts_[handle];
  return handle;
}

std::optional<std::uint32_t> FakeImportLibraries::lookUp(Handle library, const std::string& key) {
  if (library == 0 || library > names_.size()) return std::nullopt;
  std::string function = names_[library - 1];
  function.append(1, '!').append(key);
  if (missingFunctions.count(function)) return std::nullopt;
  auto [it, added] =
      addresses_.emplace(function, 0x70000000u + std::uint32_t(addresses_.size()) * 0x10);
  return it->second;
}

std::optional<std::uint32_t> FakeImportLibraries::byName(Handle library, const std::string& name) {
  if (library >= 1 && library <= names_.size()) lookups.push_back({names_[library - 1], name, {}});
  return lookUp(library, name);
}

std::optional<std::uint32_t> FakeImportLibraries::byOrdinal(Handle library, std::uint16_t ordinal) {
  if (library >= 1 && library <= names_.size()) {
    lookups.push_back({names_[library - 1], "", ordinal});
  }
  std::string key(1, '#');
  key.append(std::to_string(ordinal));
  return lookUp(library, key);
}

void FakeImportLibraries::free(Handle library) {
  auto it = loadCounts_.find(library);
  if (it == loadCounts_.end()) {
    ++extraFrees;
    return;
  }
  if (--it->second == 0) loadCounts_.erase(it);
}

std::optional<std::uint32_t> FakeImportLibraries::addressOf(const std::string& function) const {
  auto it = addresses_.find(function);
  if (it == addresses_.end()) return std::nullopt;
  return it->second;
}

int FakeImportLibraries::stillLoaded() const {
  int count = 0;
  for (const auto& [handle, loads] : loadCounts_) count += loads;
  return count;
}

std::vector<std::string> FakeImportLibraries::loadedNames() const { return names_; }

}  // namespace skin
