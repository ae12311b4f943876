#include "platform/files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "fresh_folder.h"
#include "platform/process.h"
#include "platform/run_directory.h"

namespace fs = std::filesystem;

namespace {

// Temporary files a durable write left in the folder.
int temporariesIn(const fs::path& dir) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(dir))
    count += platform::isTemporarySibling(entry.path()) ? 1 : 0;
  return count;
}

TEST(Files, AtomicWriteReplacesContentAndLeavesNoTemporary) {
  auto dir = freshFolder("atomic");
  // 한 has no GBK form: the name must never pass through the ANSI code page.
  auto file = dir / fs::path(u8"题库文件 한.bin");
  ASSERT_TRUE(platform::writeFileAtomic(file, "old"));
  ASSERT_TRUE(platform::writeFileAtomic(file, std::string("new\0bytes", 9)));
  EXPECT_EQ(platform::readFile(file), std::string("new\0bytes", 9));
  EXPECT_EQ(temporariesIn(dir), 0);
  ASSERT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_EQ(fs::directory_iterator(dir)->path().filename(), file.filename());
}

TEST(Files, FailedWriteKeepsTheOldFile) {
  auto dir = freshFolder("failed");
  // A name so long that no temporary name beside it fits the file system.
  auto file = dir / (std::string(240, 'k') + ".bin");
  ASSERT_TRUE(platform::writeFileDurably(file, "old"));
  EXPECT_FALSE(platform::writeFileAtomic(file, "new"));
  EXPECT_EQ(platform::readFile(file), "old");
  EXPECT_EQ(temporariesIn(dir), 0);
}

TEST(Files, EveryWriterHasATemporaryOfItsOwn) {
  auto target = fs::path("dir") / "libxl.dll";
  auto first = platform::temporarySibling(target), second = platform::temporarySibling(target);
  EXPECT_NE(first, second);
  EXPECT_EQ(first.parent_path(), target.parent_path());
  EXPECT_TRUE(platform::isTemporarySibling(first));
  EXPECT_FALSE(platform::isTemporarySibling(target));
}

TEST(Files, OnlyExactTemporaryNamesOfTheFileNameTheirProcess) {
  const fs::path bank = fs::path("dir") / "bank.edb";
  EXPECT_EQ(platform::temporaryOwner(platform::temporarySibling(bank), bank),
            platform::processId());
  EXPECT_EQ(platform::temporaryOwner("bank.edb.4294967295-12.quorvix-tmp", bank), 4294967295u);
  for (const char* name :
       {"bank.edb.4294967296-1.quorvix-tmp", "bank.edb.0-1.quorvix-tmp", "bank.edb.12-.quorvix-tmp",
        "bank.edb.-1.quorvix-tmp", "bank.edb.12-1-2.quorvix-tmp", "bank.edb.1 2-1.quorvix-tmp",
        "bank.edb.12-1.quorvix-tmp.edb", "Xbank.edb.12-1.quorvix-tmp", "bank.edb12-1.quorvix-tmp",
        "bank.edb.12-1.quorvix-tm", "bank.edb"})
    EXPECT_FALSE(platform::temporaryOwner(name, bank)) << name;
}

TEST(Files, ReadOnlyFileIsNotReplaced) {
  auto file = freshFolder("readonly") / fs::path(u8"只读.edb");
  ASSERT_TRUE(platform::writeFileAtomic(file, "old"));
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_FALSE(platform::writeFileAtomic(file, "new"));
  EXPECT_EQ(platform::readFile(file), "old");
  EXPECT_EQ(temporariesIn(file.parent_path()), 0);
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_TRUE(platform::writeFileAtomic(file, "new"));
}

TEST(Files, ReadGivesWholeFilesAndNothingForFolders) {
  auto dir = freshFolder("read");
  std::string big(200000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7 % 251);
  ASSERT_TRUE(platform::writeFileAtomic(dir / "big.bin", big));
  EXPECT_EQ(platform::readFile(dir / "big.bin"), big);
  ASSERT_TRUE(platform::writeFileAtomic(dir / "empty.bin", ""));
  EXPECT_EQ(platform::readFile(dir / "empty.bin"), "");
  ASSERT_TRUE(platform::writeFileDurably(dir / "big.bin", "x"));
  EXPECT_EQ(platform::readFile(dir / "big.bin"), "x");
  EXPECT_EQ(platform::readFile(dir), std::nullopt);
  EXPECT_EQ(platform::readFile(dir / "missing.bin"), std::nullopt);
  EXPECT_EQ(platform::readFile(dir / "big.bin", 0), std::nullopt);  // longer than allowed
  ASSERT_TRUE(platform::writeFileAtomic(dir / "big.bin", big));
  EXPECT_EQ(platform::readFile(dir / "big.bin", big.size()), big);
  EXPECT_EQ(platform::readFile(dir / "big.bin", big.size() - 1), std::nullopt);
}

#ifndef _WIN32
TEST(Files, ReplacementKeepsThePermissions) {
  auto file = freshFolder("perms") / "private.edb";
  ASSERT_TRUE(platform::writeFileAtomic(file, "old"));
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(platform::writeFileAtomic(file, "new"));
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}
#endif

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
