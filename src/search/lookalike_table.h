// The look-alike groups of lookalikes.txt, turned into a table when the program is built.
#pragma once
#include <span>

namespace search {

struct LookalikeEntry {
  char16_t member;
  char16_t group;  // the first member of the member's group
};

// Every member of every group, sorted by member.
std::span<const LookalikeEntry> lookalikeEntries();

}  // namespace search
