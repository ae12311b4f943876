// quorvix-cli against what an adversary or an unlucky user gives it: names that mean one bank in
// several spellings, special files where banks and workbooks belong, banks that are no banks,
// text the bank cannot hold, arguments that name nothing, output that cannot be written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "bank/record_format.h"
#include "bank_test_support.h"
#include "platform/little_endian.h"

namespace {

using namespace banktest;
namespace fs = std::filesystem;

const fs::path kSmallBook = fs::path(QUORVIX_FIXTURES) / "qbank" / "qbank_small.xlsx";

class HostileCliTest : public ::testing::Test {
 protected:
  // Every run is bounded: a command that blocks fails the test instead of hanging it.
  CommandRun cli(const std::string& args, const std::string& output = "") {
    return runCommand("timeout 20 " + quoted(QUORVIX_CLI) + " --dir " +
                      quoted(dir.path().string()) + " " + args + " 2>" +
                      quoted((dir / "stderr").string()) + output);
  }
  static int exitCode(const CommandRun& run) {
    return WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1;
  }
  std::string errors() { return fileBytes(dir / "stderr"); }
  fs::path bankFile(const std::string& name) { return dir.path() / fs::path(u8"题库") / name; }
  int records(const std::string& bank) {
    auto dump = cli("dump " + quoted(bank));
    return exitCode(dump) == 0 ? int(std::count(dump.out.begin(), dump.out.end(), '\n')) : -1;
  }

  TempDir dir;
};

TEST_F(HostileCliTest, ABareNameMeansOneBankAndAnImportNeverMakesItAnew) {
  ASSERT_EQ(exitCode(cli("import " + quoted(kSmallBook.string()) + " small")), 0) << errors();
  EXPECT_TRUE(fs::is_regular_file(bankFile("small.edb")));
  ASSERT_EQ(exitCode(cli("add small 'added by hand' x")), 0) << errors();
  ASSERT_EQ(exitCode(cli("import " + quoted(kSmallBook.string()) + " small")), 0) << errors();
  EXPECT_EQ(records("small"), 201) << "the second import kept what was added in between";

  ASSERT_EQ(exitCode(cli("create foo")), 0);
  ASSERT_EQ(exitCode(cli("add foo q a")), 0) << errors();
  fs::rename(bankFile("foo.edb"), bankFile("Foo.EDB"));
  ASSERT_EQ(exitCode(cli("import " + quoted(kSmallBook.string()) + " FOO")), 0) << errors();
  auto listed = cli("banks").out;
  EXPECT_TRUE(listed == "Foo.EDB\nsmall.edb\n" || listed == "small.edb\nFoo.EDB\n")
      << "one bank, whatever the letter case: " << listed;
  EXPECT_EQ(records("foo"), 201);
}

TEST_F(HostileCliTest, SpecialFilesAreRefusedWithoutHanging) {
  ASSERT_EQ(exitCode(cli("create real")), 0);
  ASSERT_EQ(mkfifo(bankFile("pipe.edb").c_str(), 0666), 0);
  EXPECT_EQ(exitCode(cli("dump pipe.edb")), 1);
  EXPECT_EQ(exitCode(cli("add pipe.edb q a")), 1);
  ASSERT_EQ(mkfifo((dir / "book.xlsx").c_str(), 0666), 0);
  EXPECT_EQ(exitCode(cli("cells " + quoted((dir / "book.xlsx").string()))), 1);
  EXPECT_NE(errors().find("not a file"), std::string::npos) << errors();
  EXPECT_EQ(exitCode(cli("import " + quoted((dir / "book.xlsx").string()) + " real")), 1);
  fs::create_symlink("/dev/zero", dir / "zero.xlsx");
  EXPECT_EQ(exitCode(cli("cells " + quoted((dir / "zero.xlsx").string()))), 1);
  fs::create_directory(dir / "folder.xlsx");
  EXPECT_EQ(exitCode(cli("cells " + quoted((dir / "folder.xlsx").string()))), 1);
  EXPECT_NE(errors().find("not a file"), std::string::npos) << errors();
}

TEST_F(HostileCliTest, ABankThatIsALinkIsChangedWhereItLies) {
  ASSERT_EQ(exitCode(cli("create target")), 0);
  for (const char* q : {"one", "two", "three"})
    ASSERT_EQ(exitCode(cli(std::string("add target ") + q + " x")), 0);
  fs::create_symlink(bankFile("target.edb"), bankFile("link.edb"));
  ASSERT_EQ(exitCode(cli("delete link 2")), 0) << errors();
  EXPECT_TRUE(fs::is_symlink(bankFile("link.edb")));
  EXPECT_EQ(records("target"), 2);
  ASSERT_EQ(exitCode(cli("clear link")), 0) << errors();
  EXPECT_TRUE(fs::is_symlink(bankFile("link.edb")));
  EXPECT_EQ(records("target"), 0);
}

// A bank file made elsewhere whose header is sound but whose fields are not a bank's.
void writeBank(const fs::path& path, const std::vector<std::tuple<std::string, int, int>>& fields,
               int recordSize) {
  std::string bytes(bank::kHeaderSize + 4 + bank::kDescriptorSize * fields.size(), '\0');
  std::memcpy(bytes.data(), "WEDB", 4);
  le::putU32(bytes.data() + 4, bank::kVersion);
  le::putI32(bytes.data() + 20, 1);
  le::putI32(bytes.data() + 24, recordSize);
  le::putI32(bytes.data() + bank::kHeaderSize, int(fields.size()));
  for (std::size_t i = 0; i < fields.size(); ++i) {
    char* d = bytes.data() + bank::kFieldsStart + i * bank::kDescriptorSize;
    const auto& [name, offset, width] = fields[i];
    std::memcpy(d, name.data(), name.size());
    le::putI32(d + 20, bank::kText);
    le::putI32(d + 24, offset);
    le::putI32(d + 28, width);
  }
  writeBytes(path, bytes);
}

TEST_F(HostileCliTest, FilesWithoutABanksFieldsAreRefusedByEveryCommandAlike) {
  const std::string q = "\xCC\xE2\xC4\xBF", a = "\xB4\xF0\xB0\xB8";  // 题目, 答案
  fs::create_directories(bankFile(""));
  writeBank(bankFile("one.edb"), {{q, 4, 100}}, 104);
  writeBank(bankFile("twice.edb"), {{q, 4, 100}, {q, 104, 100}}, 204);
  writeBank(bankFile("nameless.edb"), {{"", 4, 100}, {a, 104, 100}}, 204);
  for (const char* bad : {"one", "twice", "nameless"}) {
    for (const std::string& command :
         {std::string("add ") + bad + " q a", std::string("dump ") + bad,
          std::string("search ") + bad + " q", std::string("delete ") + bad + " 1",
          "import " + quoted(kSmallBook.string()) + " " + bad}) {
      EXPECT_EQ(exitCode(cli(command)), 1) << command;
      EXPECT_NE(errors().find("指定字段不存在"), std::string::npos) << command << ": " << errors();
    }
  }
  // Two fields over the same bytes: a write to one would change the other.
  writeBank(bankFile("overlap.edb"), {{q, 4, 100}, {a, 4, 100}}, 204);
  EXPECT_EQ(exitCode(cli("add overlap q a")), 1);
  EXPECT_NE(errors().find("指定文件不是数据库文件"), std::string::npos) << errors();
}

TEST_F(HostileCliTest, TextTheBankCannotHoldIsToldAndNeverMatchesQuestionMarks) {
  ASSERT_EQ(exitCode(cli("create t")), 0);
  ASSERT_EQ(exitCode(cli("add t 'what?"
                         "?' x")),
            0);
  EXPECT_EQ(exitCode(cli("add t '🍎 apple' '한'")), 0);
  EXPECT_NE(errors().find("1 character(s) cannot be stored"), std::string::npos) << errors();
  auto search = cli("search t 🍎 --json");
  EXPECT_EQ(search.out, "{\"status\":\"【当前结果/总结果数】：0/0\"}\n");
  EXPECT_EQ(exitCode(cli("search t \"$(printf '\\377\\376')\"")), 2) << "arguments must be UTF-8";
  EXPECT_EQ(exitCode(cli("add t \"$(printf 'q\\300')\" a")), 2);
  EXPECT_EQ(records("t"), 2);
}

TEST_F(HostileCliTest, ArgumentsThatNameNothingAreRefused) {
  ASSERT_EQ(exitCode(cli("create s")), 0);
  for (const char* sheet : {"0", "-1", "abc", "1x", ""})
    EXPECT_EQ(exitCode(cli("cells " + quoted(kSmallBook.string()) + " --sheet " + quoted(sheet))),
              2)
        << sheet;
  EXPECT_EQ(exitCode(cli("cells " + quoted(kSmallBook.string()) + " --sheet 3")), 1);
  EXPECT_EQ(exitCode(cli("import " + quoted(kSmallBook.string()) + " s --sheet 3")), 1);
  EXPECT_EQ(exitCode(cli("import " + quoted(kSmallBook.string()) + " s --sheet 0")), 2);
  EXPECT_EQ(records("s"), 0);
  EXPECT_EQ(exitCode(cli("search s ''")), 1);
  EXPECT_EQ(exitCode(cli("dump s --jsn")), 2);
  for (const char* name : {"CON", "'a*b'", "'trailing.'", "'  '"}) {
    EXPECT_EQ(exitCode(cli(std::string("create ") + name)), 1) << name;
  }
  EXPECT_EQ(cli("banks").out, "s.edb\n");
  EXPECT_EQ(exitCode(cli("import " + quoted(kSmallBook.string()) + " 'x|y'")), 1);
  EXPECT_EQ(cli("banks").out, "s.edb\n");
}

TEST_F(HostileCliTest, DeletionNamesTheRecordSoAPurgeElsewhereCannotShiftIt) {
  ASSERT_EQ(exitCode(cli("create d")), 0);
  for (const char* q : {"one", "two", "three"})
    ASSERT_EQ(exitCode(cli(std::string("add d ") + q + " x")), 0);
  EXPECT_EQ(exitCode(cli("delete d 2 --question one")), 1) << "record 2 holds another question";
  EXPECT_EQ(exitCode(cli("delete d 2 --question two")), 0) << errors();
  EXPECT_EQ(exitCode(cli("delete d --serial 2")), 1) << "already gone";
  EXPECT_EQ(exitCode(cli("delete d --serial 3")), 0);
  EXPECT_EQ(cli("dump d").out, "1\t1\tone\tx\n");
}

TEST_F(HostileCliTest, OutputThatCannotBeWrittenIsAFailure) {
  ASSERT_EQ(exitCode(cli("create o")), 0);
  ASSERT_EQ(exitCode(cli("add o q a")), 0);
  for (const std::string& command :
       {std::string("dump o"), std::string("search o q"), std::string("banks"),
        "cells " + quoted(kSmallBook.string())}) {
    EXPECT_EQ(exitCode(cli(command, " >/dev/full")), 1) << command;
    EXPECT_NE(errors().find("cannot write the output"), std::string::npos) << errors();
  }
}

TEST_F(HostileCliTest, AChangeThatWasMadeIsNeverReportedAsAFailure) {
  const std::string book = quoted(kSmallBook.string());
  auto changedButUnreported = [&](const std::string& command, const std::string& output) {
    EXPECT_EQ(exitCode(cli(command, output)), 3) << command << output;
    EXPECT_NE(errors().find("the change was made, but its report could not be written"),
              std::string::npos)
        << command << ": " << errors();
  };
  changedButUnreported("create o", " >/dev/full");
  changedButUnreported("add o q1 a", " >/dev/full");
  changedButUnreported("add o q2 a", " >&-");
  EXPECT_EQ(records("o"), 2) << "each add landed once";
  // A reader that went away before the report: still told, not a death by a signal.
  const std::string closedPipe =
      "python3 -c 'import os, subprocess, sys; r, w = os.pipe(); os.close(r); "
      "sys.exit(subprocess.call(sys.argv[1:], stdout=w))' ";
  EXPECT_EQ(exitCode(runCommand(closedPipe + quoted(QUORVIX_CLI) + " --dir " +
                                quoted(dir.path().string()) + " add o q3 a 2>/dev/null")),
            3);
  EXPECT_EQ(records("o"), 3);
  changedButUnreported("import " + book + " o", " >/dev/full");
  EXPECT_EQ(records("o"), 203);
  changedButUnreported("clear o", " >/dev/full");
  EXPECT_EQ(records("o"), 0);

  // Nothing changed: a failed report stays a failure.
  EXPECT_EQ(exitCode(cli("create o", " >/dev/full")), 1);
  ASSERT_EQ(exitCode(cli("import " + book + " o")), 0);
  EXPECT_EQ(exitCode(cli("import " + book + " o", " >/dev/full")), 1) << "every pair was held";
  EXPECT_NE(errors().find("cannot write the output"), std::string::npos) << errors();
}

// A closed standard stream must not hand its number to the bank file: what is printed would
// land in the bank.
TEST_F(HostileCliTest, ClosedStandardStreamsNeverWriteIntoABank) {
  ASSERT_EQ(exitCode(cli("create c")), 0);
  EXPECT_EQ(exitCode(cli("add c '🍎 apple' x", " 2>&-")), 0) << "the lost character is told";
  EXPECT_EQ(exitCode(cli("add c q a", " <&- >&- 2>&-")), 3);
  EXPECT_EQ(cli("dump c").out, "1\t1\t?? apple\tx\n2\t2\tq\ta\n");
  if (oracleAvailable()) {
    EXPECT_EQ(oracle("check " + quoted(bankFile("c.edb").string())).status, 0);
  }
}

TEST_F(HostileCliTest, TemporariesOfEndedProcessesGoWithTheNextUse) {
  ASSERT_EQ(exitCode(cli("create t")), 0);
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  const std::string dead = std::to_string(child), live = std::to_string(getpid());
  const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
  auto leave = [&](const std::string& name, bool backdated) {
    writeBytes(bankFile(name), "partial");
    if (backdated) fs::last_write_time(bankFile(name), old);
    return bankFile(name);
  };
  const auto abandoned = leave("t.edb." + dead + "-1.quorvix-tmp", true);
  const std::vector<fs::path> kept = {
      leave("t.edb." + live + "-1.quorvix-tmp", true),   // its process may still be writing
      leave("t.edb." + dead + "-2.quorvix-tmp", false),  // too new: perhaps another machine's
      leave("t.edb." + dead + "-x.quorvix-tmp", true),   // not a name this program makes
      leave("t.edb." + dead + ".quorvix-tmp", true),
      leave("other.edb." + dead + "-1.quorvix-tmp", true),  // another file's, gone at its use
  };
  fs::create_directory(bankFile("t.edb." + dead + "-3.quorvix-tmp"));
  fs::last_write_time(bankFile("t.edb." + dead + "-3.quorvix-tmp"), old);

  ASSERT_EQ(exitCode(cli("add t q a")), 0) << errors();
  EXPECT_FALSE(fs::exists(abandoned));
  for (const auto& path : kept) EXPECT_TRUE(fs::exists(path)) << path;
  EXPECT_TRUE(fs::is_directory(bankFile("t.edb." + dead + "-3.quorvix-tmp")));
  EXPECT_EQ(records("t"), 1);
}

TEST_F(HostileCliTest, BankNamesAreListedOneALine) {
  fs::create_directories(bankFile(""));
  ASSERT_EQ(exitCode(cli("create 'two\nlines'")), 1) << "a control character is no name";
  writeBytes(bankFile("two\nlines.edb"), "x");
  EXPECT_EQ(cli("banks").out, "two\\nlines.edb\n");
}

// On a full disk a deletion fails and changes nothing (needs a small file system of its own).
TEST_F(HostileCliTest, ADeleteThatFailsOnAFullDiskChangesNothing) {
  const fs::path small = dir / "small";
  fs::create_directories(small);
  if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "cannot mount a small file system here";
  struct Unmount {
    fs::path at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{small};
  auto run = [&](const std::string& args) {
    return runCommand(quoted(QUORVIX_CLI) + " --dir " + quoted(small.string()) + " " + args +
                      " 2>" + quoted((dir / "stderr").string()));
  };
  ASSERT_EQ(exitCode(run("create full")), 0);
  for (int i = 0; i < 60; ++i) ASSERT_EQ(exitCode(run("add full q" + std::to_string(i) + " a")), 0);
  // Fill what is left.
  {
    std::ofstream filler(small / "filler", std::ios::binary);
    std::string block(4096, 'f');
    while (filler.write(block.data(), std::streamsize(block.size()))) {
    }
  }
  const auto bankPath = small / fs::path(u8"题库") / "full.edb";
  const std::string before = fileBytes(bankPath);
  EXPECT_EQ(exitCode(run("delete full 1")), 1);
  EXPECT_NE(errors().find("磁盘空间不够"), std::string::npos) << errors();
  EXPECT_TRUE(fileBytes(bankPath) == before) << "a failed delete changed the bank";
  fs::remove(small / "filler");
  EXPECT_EQ(exitCode(run("delete full 1")), 0) << errors();
}

}  // namespace
