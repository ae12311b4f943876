#include "platform/files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/run_directory.h"

namespace fs = std::filesystem;

namespace {

fs::path freshFolder(const fs::path& name) {
  auto dir = fs::temp_directory_path() / fs::path(u8"quorvix测试") / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

TEST(Files, AtomicWriteReplacesContentAndLeavesNoTemporary) {
  auto dir = freshFolder("atomic");
  auto file = dir / fs::path(u8"题库文件.bin");
  ASSERT_TRUE(platform::writeFileAtomic(file, "old"));
  ASSERT_TRUE(platform::writeFileAtomic(file, std::string("new\0bytes", 9)));
  EXPECT_EQ(platform::readFile(file), std::string("new\0bytes", 9));
  EXPECT_FALSE(fs::exists(platform::temporarySibling(file)));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(Files, FailedWriteKeepsTheOldFile) {
  auto dir = freshFolder("failed");
  auto file = dir / "kept.bin";
  ASSERT_TRUE(platform::writeFileAtomic(file, "old"));
  // The temporary cannot be created where a folder of that name stands.
  fs::create_directory(platform::temporarySibling(file));
  EXPECT_FALSE(platform::writeFileAtomic(file, "new"));
  EXPECT_EQ(platform::readFile(file), "old");
}

TEST(Files, TemporaryNameDoesNotLookLikeTheOriginalType) {
  auto temp = platform::temporarySibling("dir/bank.edb");
  EXPECT_NE(temp.extension(), ".edb");
  EXPECT_NE(temp.extension().string().rfind(".edb", 0), 0u);
}

TEST(RunDirectory, OverrideComesFromTheEnvironment) {
  auto dir = freshFolder(u8"运行目录");
#ifdef _WIN32
  _wputenv_s(L"QUORVIX_RUN_DIR", dir.c_str());
#else
  setenv(platform::kRunDirEnv, dir.c_str(), 1);
#endif
  EXPECT_EQ(platform::runDirectory(), dir);
#ifdef _WIN32
  _wputenv_s(L"QUORVIX_RUN_DIR", L"");
#else
  unsetenv(platform::kRunDirEnv);
#endif
  EXPECT_EQ(platform::runDirectory(), platform::programDirectory());
  EXPECT_TRUE(fs::is_directory(platform::programDirectory()));
}

}  // namespace
