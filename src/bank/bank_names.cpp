#include "bank/bank_names.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace bank {
namespace {

char16_t lowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; }

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return lowerAscii(x) == lowerAscii(y); });
}

// Longest file name and whole path Windows takes without long-path support, in UTF-16 units.
constexpr std::size_t kMaxNameUnits = 255;
constexpr std::size_t kMaxPathUnits = 259;

bool isReservedDeviceName(std::u16string_view name) {
  // The device names are reserved with any extension: "CON.edb" is the console too.
  const std::u16string_view stem = name.substr(0, name.find(u'.'));
  static constexpr std::array<std::u16string_view, 4> kPlain = {u"con", u"prn", u"aux", u"nul"};
  for (auto reserved : kPlain)
    if (equalsIgnoringCase(stem, reserved)) return true;
  if (stem.size() == 4 && stem[3] >= u'1' && stem[3] <= u'9')
    return equalsIgnoringCase(stem.substr(0, 3), u"com") ||
           equalsIgnoringCase(stem.substr(0, 3), u"lpt");
  return false;
}

}  // namespace

bool sameNameIgnoringCase(const std::filesystem::path& a, const std::filesystem::path& b) {
  return equalsIgnoringCase(a.u16string(), b.u16string());
}

bool isBankFileName(const std::filesystem::path& name) {
  return equalsIgnoringCase(name.extension().u16string(), u".edb");
}

std::filesystem::path bankFileName(const std::filesystem::path& name) {
  if (isBankFileName(name)) return name;
  auto file = name;
  file += ".edb";
  return file;
}

BankNameProblem checkBankName(const std::filesystem::path& name,
                              const std::filesystem::path& folder) {
  const std::u16string text = name.u16string();
  if (text.find_first_not_of(u' ') == std::u16string::npos) return BankNameProblem::empty;
  for (char16_t c : text) {
    if (c < 0x20) return BankNameProblem::controlCharacter;
    if (std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos)
      return BankNameProblem::forbiddenCharacter;
  }
  const std::u16string file = bankFileName(name).u16string();
  if (isReservedDeviceName(text)) return BankNameProblem::reservedName;
  if (text.back() == u'.' || text.back() == u' ') return BankNameProblem::trailingDotOrSpace;
  if (file.size() > kMaxNameUnits || folder.u16string().size() + 1 + file.size() > kMaxPathUnits)
    return BankNameProblem::tooLong;
  return BankNameProblem::none;
}

}  // namespace bank
