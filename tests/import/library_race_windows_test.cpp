// Several copies of a program putting the library beside themselves at the same moment, as
// two copies of Quorvix.exe started together would: each ends with a complete library of the
// right version and reads the same cells.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/run_directory.h"

namespace fs = std::filesystem;

namespace {

struct Reader {
  PROCESS_INFORMATION process{};
  HANDLE output = nullptr;
};

Reader startReader(const fs::path& program, const fs::path& folder, const fs::path& workbook) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  CreatePipe(&read, &write, &inherit, 0);
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  startup.hStdError = write;
  std::wstring command = L"\"" + program.wstring() + L"\" \"" + folder.wstring() + L"\" \"" +
                         workbook.wstring() + L"\"";
  Reader reader;
  reader.output = read;
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &reader.process))
    reader.process = {};
  CloseHandle(write);
  return reader;
}

std::string finish(Reader& reader, DWORD& code) {
  std::string text;
  char buffer[512];
  DWORD got = 0;
  while (ReadFile(reader.output, buffer, sizeof buffer, &got, nullptr) && got > 0)
    text.append(buffer, got);
  CloseHandle(reader.output);
  code = 1;
  if (reader.process.hProcess) {
    WaitForSingleObject(reader.process.hProcess, 120000);
    GetExitCodeProcess(reader.process.hProcess, &code);
    CloseHandle(reader.process.hThread);
    CloseHandle(reader.process.hProcess);
  }
  return text.substr(0, text.find(" ms "));  // the counts, not the time
}

TEST(LibraryRace, CopiesStartedTogetherEachReadTheWorkbook) {
  const fs::path program = platform::programDirectory() / "xl_read_all.exe";
  ASSERT_TRUE(fs::exists(program));
  const fs::path workbook = fs::path(QUORVIX_FIXTURES) / "qbank" / "qbank_small.xlsx";
  for (int round = 0; round < 3; ++round) {
    const fs::path folder =
        fs::temp_directory_path() / "quorvix-library-race" / std::to_string(round);
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::vector<Reader> readers;
    for (int i = 0; i < 6; ++i) readers.push_back(startReader(program, folder, workbook));
    std::vector<std::string> answers;
    for (auto& reader : readers) {
      DWORD code = 1;
      answers.push_back(finish(reader, code));
      EXPECT_EQ(code, 0u) << answers.back();
    }
    for (const auto& answer : answers) EXPECT_EQ(answer, answers.front());
    EXPECT_EQ(answers.front().rfind("cells ", 0), 0u) << answers.front();
    for (const auto& entry : fs::directory_iterator(folder))
      EXPECT_EQ(entry.path().filename(), "libxl.dll") << "left beside the library";
  }
}

}  // namespace
