// What the bank and search commands share: naming a bank on the command line, printing texts
// as UTF-8 and JSON, and reporting the engine's errors.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "bank/error_codes.h"
#include "bank/question_bank.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "platform/cp936.h"

namespace cli {

inline std::filesystem::path fromUtf8Path(std::string_view utf8) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

inline std::string utf8Of(const std::filesystem::path& path) {
  auto u8 = path.u8string();
  return std::string(reinterpret_cast<const char*>(u8.data()), u8.size());
}

// A path when it holds a separator; otherwise a bank name, meaning NAME.edb in the bank folder
// whatever the letter case of the file there (the same rule the import form follows).
inline std::filesystem::path bankArgument(const Context& context, std::string_view arg) {
  if (arg.find('/') != std::string_view::npos || arg.find('\\') != std::string_view::npos)
    return fromUtf8Path(arg);
  bank::RecordDatabase unused;
  return bank::QuestionBank(unused, context.runDir).resolveBankName(fromUtf8Path(arg));
}

// UTF-8 text on one line of plain output: tabs, line breaks and backslashes escaped.
inline std::string escapedLine(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 8);
  std::size_t from = 0;
  for (std::size_t at; (at = utf8.find_first_of("\t\n\r\\", from)) != std::string::npos;
       from = at + 1) {
    out.append(utf8, from, at - from);
    out += utf8[at] == '\t' ? "\\t" : utf8[at] == '\n' ? "\\n" : utf8[at] == '\r' ? "\\r" : "\\\\";
  }
  out.append(utf8, from);
  return out;
}

// Program text (GBK) on one line of plain output.
inline std::string plainText(std::string_view gbk) { return escapedLine(cp936::toUtf8(gbk)); }

inline int reportEngineError(const char* command, const std::filesystem::path& bank, int code) {
  std::fprintf(stderr, "quorvix-cli %s: %s: %s\n", command, utf8Of(bank).c_str(),
               cp936::toUtf8(bank::errorText(code)).c_str());
  return 1;
}

// The exit status of a command whose change to a bank was made but whose report could not be
// written to standard output: a caller must not take it for a failure and make the change again.
inline constexpr int kChangeMadeButUnreported = 3;
// A command calls this once its change to a bank has been made.
void noteChangeMade();
bool changeWasMade();

// Another process made the bank between this command's look and its own placement.
inline int reportExistsAlready(const char* command, const std::filesystem::path& bank) {
  std::fprintf(stderr, "quorvix-cli %s: %s: the bank exists already\n", command,
               utf8Of(bank).c_str());
  return 1;
}

inline int usageError(const char* usage) {
  std::fprintf(stderr, "usage: quorvix-cli [--dir RUNDIR] %s\n", usage);
  return 2;
}

// A bank name typed on the command line that Windows could not store is refused with the
// program's message; true when the name is fine.
bool acceptableBankName(const char* command, const std::filesystem::path& name,
                        const std::filesystem::path& bankFolder);

// A UTF-8 text for the bank (GBK); says on standard error how many characters GBK cannot hold,
// which are stored as "?".
std::string programText(const char* command, std::string_view utf8);

}  // namespace cli
