// Bank names: which files are banks, the file a typed name means, and the names no bank can
// have because Windows cannot store them.
#pragma once
#include <filesystem>

namespace bank {

// Is this a bank file's name: an extension of exactly ".edb", in any letter case?
bool isBankFileName(const std::filesystem::path& name);

// Are the two names the same but for the letter case of A to Z?
bool sameNameIgnoringCase(const std::filesystem::path& a, const std::filesystem::path& b);

// The file name a typed bank name means: the name itself when it ends in ".edb" (any case),
// else the name + ".edb".
std::filesystem::path bankFileName(const std::filesystem::path& name);

enum class BankNameProblem {
  none,
  empty,               // nothing but spaces
  forbiddenCharacter,  // < > : " / \ | ? *
  controlCharacter,    // a tab, a line break or another character below U+0020
  reservedName,        // CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension
  trailingDotOrSpace,
  tooLong,  // the file name or the whole path is longer than Windows allows
};

// Checks a typed bank name (before ".edb" is added) for a bank in `folder`.
BankNameProblem checkBankName(const std::filesystem::path& name,
                              const std::filesystem::path& folder);

}  // namespace bank
