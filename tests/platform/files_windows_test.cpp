// Files and the run directory as Windows has them: attributes, and folders outside GBK.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "fresh_folder.h"
#include "platform/files.h"
#include "platform/run_directory.h"
#include "platform/utf8.h"

namespace fs = std::filesystem;

namespace {

DWORD attributes(const fs::path& path) { return GetFileAttributesW(path.c_str()); }

// Runs the program and returns its exit code, or -1 when it could not be started.
int runAndWait(const fs::path& program) {
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process))
    return -1;
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return int(code);
}

TEST(FilesOnWindows, HiddenFileStaysHiddenWithItsNewContent) {
  auto file = freshFolder("hidden") / fs::path(u8"隐藏.edb");
  ASSERT_TRUE(platform::writeFileAtomic(file, "old"));
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(platform::writeFileAtomic(file, "new"));
  EXPECT_EQ(platform::readFile(file), "new");
  EXPECT_TRUE(attributes(file) & FILE_ATTRIBUTE_HIDDEN);
  for (const auto& entry : fs::directory_iterator(file.parent_path()))
    EXPECT_FALSE(platform::isTemporarySibling(entry.path()));
}

TEST(FilesOnWindows, ReadOnlyAttributeRefusesTheReplacement) {
  auto file = freshFolder("readonly") / fs::path(u8"只读.edb");
  ASSERT_TRUE(platform::writeFileAtomic(file, "old"));
  ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(platform::writeFileAtomic(file, "new"));
  EXPECT_EQ(platform::readFile(file), "old");
  for (const auto& entry : fs::directory_iterator(file.parent_path()))
    EXPECT_FALSE(platform::isTemporarySibling(entry.path()));
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A process that has exited counts as ended even while a handle keeps its id taken.
TEST(FilesOnWindows, AProcessHasEndedOnlyOnceItIsGone) {
  EXPECT_FALSE(platform::processHasEnded(GetCurrentProcessId()));
  wchar_t command[] = L"cmd.exe /c exit 0";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                             nullptr, &startup, &child));
  ASSERT_EQ(WaitForSingleObject(child.hProcess, 20000), WAIT_OBJECT_0);
  EXPECT_TRUE(platform::processHasEnded(child.dwProcessId));
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
}

TEST(RunDirectoryOnWindows, ProgramInAFolderOutsideGbk) {
  // 한글 has no code page 936 form, so any trip through the ANSI APIs would lose it.
  auto dir = freshFolder(fs::path(u8"题库 한글"));
  auto probe = platform::programDirectory() / "run_dir_probe.exe";
  ASSERT_TRUE(fs::exists(probe)) << probe;
  fs::copy_file(probe, dir / fs::path(u8"答题 한.exe"));
  ASSERT_EQ(runAndWait(dir / fs::path(u8"答题 한.exe")), 0);
  auto written = platform::readFile(dir / "run_dir.txt");
  ASSERT_TRUE(written);
  auto expected = dir.wstring();
  EXPECT_EQ(*written, utf8::fromUtf16(std::u16string(expected.begin(), expected.end())));
}

TEST(RunDirectoryOnWindows, OverrideOutsideGbk) {
  auto dir = freshFolder(fs::path(u8"运行 한글"));
  ASSERT_TRUE(SetEnvironmentVariableW(L"QUORVIX_RUN_DIR", dir.c_str()));
  EXPECT_EQ(platform::runDirectory(), dir);
  SetEnvironmentVariableW(L"QUORVIX_RUN_DIR", nullptr);
  EXPECT_EQ(platform::runDirectory(), platform::programDirectory());
}

}  // namespace
