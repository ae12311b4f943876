// The purge's redo journal. A purge writes the records it keeps, and where they go, into a file
// beside the bank, flushes it, and only then rewrites the bank in place; a purge cut short by a
// crash or a power cut is finished from the journal by whoever uses the bank next, and a
// journal cut short itself is dropped, the bank untouched.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace bank {

struct JournalHeader {
  double created = 0;  // the bank header's creation time: which bank it belongs to
  std::int32_t recordSize = 0;
  std::int32_t countBefore = 0;   // the bank's record count before the purge
  std::int32_t countAfter = 0;    // and after it
  std::uint64_t writeAt = 0;      // where the payload goes in the bank
  std::uint64_t lengthAfter = 0;  // the bank's length afterwards
  std::uint64_t payloadSize = 0;
  std::uint64_t payloadChecksum = 0;
};

inline constexpr std::size_t kJournalHeaderSize = 64;

// "<bank>.quorvix-journal": never matches "*.edb".
std::filesystem::path journalPath(const std::filesystem::path& bank);

std::string encodeJournalHeader(const JournalHeader& header);
// False when the bytes are no complete journal header.
bool decodeJournalHeader(std::string_view bytes, JournalHeader& header);

// 64-bit FNV-1a, continued from `state` (start with kChecksumStart).
inline constexpr std::uint64_t kChecksumStart = 0xcbf29ce484222325ull;
std::uint64_t checksum(std::uint64_t state, std::string_view bytes);

}  // namespace bank
