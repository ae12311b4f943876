#include "bank/purge_journal.h"

#include <cstring>

#include "bank/record_format.h"

namespace bank {
namespace {

constexpr char kJournalMagic[8] = {'Q', 'V', 'J', 'O', 'U', 'R', 'N', '1'};

void putUint64(char* at, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<char>(value >> (8 * i));
}

std::uint64_t getUint64(const char* at) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(at[i]);
  return value;
}

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
  putDouble(at + 8, h.created);
  putInt32(at + 16, h.recordSize);
  putInt32(at + 20, h.countBefore);
  putInt32(at + 24, h.countAfter);
  putUint64(at + 28, h.writeAt);
  putUint64(at + 36, h.lengthAfter);
  putUint64(at + 44, h.payloadSize);
  putUint64(at + 52, h.payloadChecksum);
  // The header's own bytes are covered too, so a torn header is never believed.
  const std::uint64_t own = checksum(kChecksumStart, std::string_view(at, 60));
  putInt32(at + 60, static_cast<std::int32_t>(own));
  return bytes;
}

bool decodeJournalHeader(std::string_view bytes, JournalHeader& h) {
  if (bytes.size() < kJournalHeaderSize ||
      std::memcmp(bytes.data(), kJournalMagic, sizeof kJournalMagic) != 0)
    return false;
  const char* at = bytes.data();
  const std::uint64_t own = checksum(kChecksumStart, bytes.substr(0, 60));
  if (getInt32(at + 60) != static_cast<std::int32_t>(own)) return false;
  h.created = getDouble(at + 8);
  h.recordSize = getInt32(at + 16);
  h.countBefore = getInt32(at + 20);
  h.countAfter = getInt32(at + 24);
  h.writeAt = getUint64(at + 28);
  h.lengthAfter = getUint64(at + 36);
  h.payloadSize = getUint64(at + 44);
  h.payloadChecksum = getUint64(at + 52);
  // The kept records end the file.
  return h.recordSize > 0 && h.countBefore >= 0 && h.countAfter >= 0 &&
         h.countAfter <= h.countBefore && h.payloadSize % std::uint64_t(h.recordSize) == 0 &&
         h.writeAt + h.payloadSize == h.lengthAfter;
}

}  // namespace bank
