#include "bank/purge_journal.h"

#include <cstring>

#include "bank/record_format.h"
#include "platform/little_endian.h"

namespace bank {
namespace {

constexpr char kJournalMagic[8] = {'Q', 'V', 'J', 'O', 'U', 'R', 'N', '1'};

}  // namespace

std::filesystem::path journalPath(const std::filesystem::path& bank) {
  auto path = bank;
  path += ".quorvix-journal";
  return path;
}

std::uint64_t checksum(std::uint64_t state, std::string_view bytes) {
  for (unsigned char byte : bytes) {
    state ^= byte;
    state *= 0x100000001b3ull;
  }
  return state;
}

std::string encodeJournalHeader(const JournalHeader& h) {
  std::string bytes(kJournalHeaderSize, '\0');
  char* at = bytes.data();
  std::memcpy(at, kJournalMagic, sizeof kJournalMagic);
  le::putF64(at + 8, h.created);
  le::putI32(at + 16, h.recordSize);
  le::putI32(at + 20, h.countBefore);
  le::putI32(at + 24, h.countAfter);
  le::putU64(at + 28, h.writeAt);
  le::putU64(at + 36, h.lengthAfter);
  le::putU64(at + 44, h.payloadSize);
  le::putU64(at + 52, h.payloadChecksum);
  // The header's own bytes are covered too, so a torn header is never believed.
  const std::uint64_t own = checksum(kChecksumStart, std::string_view(at, 60));
  le::putI32(at + 60, static_cast<std::int32_t>(own));
  return bytes;
}

bool decodeJournalHeader(std::string_view bytes, JournalHeader& h) {
  if (bytes.size() < kJournalHeaderSize ||
      std::memcmp(bytes.data(), kJournalMagic, sizeof kJournalMagic) != 0)
    return false;
  const char* at = bytes.data();
  const std::uint64_t own = checksum(kChecksumStart, bytes.substr(0, 60));
  if (le::i32(at + 60) != static_cast<std::int32_t>(own)) return false;
  h.created = le::f64(at + 8);
  h.recordSize = le::i32(at + 16);
  h.countBefore = le::i32(at + 20);
  h.countAfter = le::i32(at + 24);
  h.writeAt = le::u64(at + 28);
  h.lengthAfter = le::u64(at + 36);
  h.payloadSize = le::u64(at + 44);
  h.payloadChecksum = le::u64(at + 52);
  // The kept records end the file.
  return h.recordSize > 0 && h.countBefore >= 0 && h.countAfter >= 0 &&
         h.countAfter <= h.countBefore && h.payloadSize % std::uint64_t(h.recordSize) == 0 &&
         h.writeAt + h.payloadSize == h.lengthAfter;
}

}  // namespace bank
