#include "bank/record_database.h"

#include <gtest/gtest.h>

#include "bank/purge_journal.h"
#include "bank_test_support.h"
#include "faulty_files.h"
#include "platform/little_endian.h"
#include "platform/record_file.h"

namespace {

using namespace banktest;
using bank::RecordDatabase;

std::string hexOf(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
  return out;
}

// Records as "serial question-hex answer-hex" lines, read by the engine.
std::string engineDump(RecordDatabase& db) {
  std::string out = std::to_string(db.recordCount()) + " " +
                    std::to_string(db.layout()->header.nextSerial) + "\n";
  db.scanRecords({kQuestion, kAnswer}, [&](const bank::ScanRow& row) {
    out += std::to_string(row.serial) + " " + hexOf(std::string((*row.texts)[0])) + " " +
           hexOf(std::string((*row.texts)[1])) + "\n";
    return true;
  });
  return out;
}

// The same lines, read by the oracle.
std::string oracleDump(const std::filesystem::path& file) {
  return runCommand("python3 " + quoted(std::string(QUORVIX_TOOLS) + "/edb_oracle.py") + " dump " +
                    quoted(file.string()) +
                    " | python3 -c 'import json,sys; d=json.load(sys.stdin); "
                    "print(d[\"count\"], d[\"next_serial\"]); "
                    "[print(r[\"serial\"], *r[\"hex\"]) for r in d[\"records\"]]'")
      .out;
}

class RecordDatabaseTest : public ::testing::Test {
 protected:
  std::filesystem::path makeBank(const std::string& name = "bank.edb") {
    auto path = dir / name;
    EXPECT_TRUE(db.createDatabase(path, bankSchema()));
    return path;
  }
  void add(const std::string& q, const std::string& a) { ASSERT_TRUE(db.addRecord({q, a})); }

  TempDir dir;
  RecordDatabase db;
};

TEST_F(RecordDatabaseTest, FreshBankHasTheExactHeader) {
  auto path = makeBank();
  std::string bytes = fileBytes(path);
  ASSERT_EQ(bytes.size(), 260u);
  EXPECT_EQ(bytes.substr(0, 4), "WEDB");
  EXPECT_EQ(le::i32(&bytes[4]), 0x00010000);
  EXPECT_EQ(le::i32(&bytes[16]), 0);
  EXPECT_EQ(le::i32(&bytes[20]), 1);
  EXPECT_EQ(le::i32(&bytes[24]), 2004);
  EXPECT_EQ(le::i32(&bytes[112]), 2);
  EXPECT_EQ(bytes.substr(116, 4), kQuestion);
  EXPECT_EQ(le::i32(&bytes[116 + 24]), 4);
  EXPECT_EQ(le::i32(&bytes[116 + 72 + 24]), 1004);
  EXPECT_EQ(le::i32(&bytes[116 + 72 + 28]), 1000);
  double created = le::f64(&bytes[8]);
  EXPECT_GT(created, 45000);  // after 2023
  EXPECT_EQ(std::string(bytes.data() + 28, 84), std::string(84, '\0'));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path.parent_path()),
                          std::filesystem::directory_iterator()),
            1);  // nothing is left beside it
}

TEST_F(RecordDatabaseTest, CreationRefusesBadFieldLists) {
  auto path = dir / "x.edb";
  auto expectCode = [&](std::vector<bank::FieldDef> fields, int code) {
    EXPECT_FALSE(db.createDatabase(path, fields));
    EXPECT_EQ(db.lastError(), code);
  };
  EXPECT_FALSE(db.createDatabase("", bankSchema()));
  EXPECT_EQ(db.lastError(), -3);
  expectCode({}, -16);
  expectCode({{"", bank::kText, 10}, {"a", bank::kText, 10}}, -16);
  expectCode({{"abcdefghijklmnopq", bank::kText, 10}}, -18);  // 17 bytes
  expectCode({{"1abc", bank::kText, 10}}, -18);
  expectCode({{"a_b", bank::kText, 10}}, -18);
  expectCode({{"\xA3\xB1x", bank::kText, 10}}, -18);  // full-width digit first
  expectCode({{"a", 13, 0}}, -17);
  expectCode({{"a", 0, 0}}, -17);
  expectCode({{"a", bank::kText, 0}}, -19);
  expectCode({{"a", bank::kText, 1025}}, -19);
  expectCode({{"Name", bank::kInt, 0}, {"nAME", bank::kText, 5}}, -20);
  EXPECT_FALSE(std::filesystem::exists(path));

  // 16 bytes, full-width letters and digits, Chinese characters, and a list cut at an
  // empty name are all fine.
  EXPECT_TRUE(db.createDatabase(path, {{"abcdefghijklmnop", bank::kText, 1},
                                       {"\xA3\xC1\xA3\xB1" + kQuestion, bank::kInt, 0},
                                       {"", bank::kText, 0},
                                       {"ignored", 99, 0}}));
  ASSERT_TRUE(db.openDatabase(path));
  EXPECT_EQ(db.layout()->fields.size(), 2u);
  EXPECT_EQ(db.layout()->header.recordSize, 4 + 1 + 4);
}

TEST_F(RecordDatabaseTest, DefaultExtensionIsAdded) {
  ASSERT_TRUE(db.createDatabase(dir / "plain", bankSchema()));
  EXPECT_TRUE(std::filesystem::exists(dir / "plain.EDB"));
  ASSERT_TRUE(db.openDatabase(dir / "plain"));
  EXPECT_TRUE(db.isOpen(dir / "PLAIN.edb"));
}

TEST_F(RecordDatabaseTest, ANameIsTheSameBankWhateverTheCaseOfItsLettersAfterChineseOnes) {
  const auto path = dir.path() / std::filesystem::path(u8"物理A题库b.edb");
  ASSERT_TRUE(db.createDatabase(path, bankSchema()));
  ASSERT_TRUE(db.openDatabase(path));
  EXPECT_TRUE(db.isOpen(dir.path() / std::filesystem::path(u8"物理a题库B.EDB")));
  EXPECT_FALSE(db.isOpen(dir.path() / std::filesystem::path(u8"物理A题库c.edb")));
}

TEST_F(RecordDatabaseTest, AppendDeletePurgeKeepsSerials) {
  auto path = makeBank();
  ASSERT_TRUE(db.openDatabase(path));
  add("q1", "a1");
  add("q2", "a2");
  add("q3", "a3");
  EXPECT_EQ(db.recordNumber(), 3);
  ASSERT_TRUE(db.goTo(2));
  ASSERT_TRUE(db.markDeleted());
  ASSERT_TRUE(db.markDeleted());  // a second mark changes nothing
  EXPECT_EQ(db.recordCount(), 3);
  EXPECT_EQ(db.readField(kQuestion), "q2");  // still readable until purged
  ASSERT_TRUE(db.purgeDeleted());
  EXPECT_EQ(db.recordNumber(), 1);
  EXPECT_EQ(db.recordCount(), 2);

  std::string bytes = fileBytes(path);
  ASSERT_EQ(bytes.size(), 260u + 2 * 2004);
  EXPECT_EQ(le::i32(&bytes[20]), 4);
  EXPECT_EQ(le::i32(&bytes[260]), 1);
  EXPECT_EQ(le::i32(&bytes[260 + 2004]), 3);
  EXPECT_EQ(std::string(&bytes[260 + 2004 + 4]), "q3");

  add("q4", "a4");  // serials are never reused
  EXPECT_EQ(le::i32(&fileBytes(path)[260 + 2 * 2004]), 4);
  EXPECT_FALSE(std::filesystem::exists(bank::journalPath(path)));
}

TEST_F(RecordDatabaseTest, TextSlotsCutAtWholeCharacters) {
  auto path = makeBank();
  ASSERT_TRUE(db.openDatabase(path));
  std::string exact(1000, 'x'), longer(1001, 'y');
  std::string straddle = std::string(999, 'z') + "\xBA\xBA";  // 汉 across the slot's end
  std::string wide;
  for (int i = 0; i < 600; ++i) wide += "\xD5\x5C";  // 誠: a trail byte that looks like '\'
  add(exact, longer);
  add(straddle, wide);

  ASSERT_TRUE(db.goTo(1));
  EXPECT_EQ(db.readField(kQuestion), exact);
  EXPECT_EQ(db.readField(kAnswer), longer.substr(0, 1000));
  ASSERT_TRUE(db.goTo(2));
  EXPECT_EQ(db.readField(kQuestion), straddle.substr(0, 999));
  EXPECT_EQ(db.readField(kAnswer), wide.substr(0, 1000));

  EXPECT_EQ(bank::textSlotLength("abc", 3), 3u);
  EXPECT_EQ(bank::textSlotLength("ab", 3), 2u);
  EXPECT_EQ(bank::textSlotLength("ab\xBA\xBA", 3), 2u);
  EXPECT_EQ(bank::textSlotLength("a\xBA\xBA", 3), 3u);
}

TEST_F(RecordDatabaseTest, PositioningFollowsTheClampingRules) {
  auto path = makeBank();
  ASSERT_TRUE(db.openDatabase(path));
  EXPECT_FALSE(db.skip(1));
  EXPECT_EQ(db.lastError(), -26);
  EXPECT_FALSE(db.skip(-1));
  EXPECT_EQ(db.lastError(), -25);
  EXPECT_TRUE(db.goTo(5));
  EXPECT_EQ(db.recordNumber(), 1);
  EXPECT_EQ(db.readField(kQuestion), "");  // nothing there yet

  for (int i = 1; i <= 4; ++i) add(numbered("q", i), "a");
  EXPECT_TRUE(db.goTo(0));
  EXPECT_EQ(db.recordNumber(), 1);
  EXPECT_TRUE(db.goTo(99));
  EXPECT_EQ(db.recordNumber(), 4);
  EXPECT_TRUE(db.skip(10));
  EXPECT_EQ(db.recordNumber(), 5);  // after the last
  EXPECT_EQ(db.readField(kQuestion), "");
  EXPECT_EQ(db.lastError(), -10);
  EXPECT_FALSE(db.skip(1));
  EXPECT_EQ(db.lastError(), -26);
  EXPECT_TRUE(db.skip(-100));
  EXPECT_EQ(db.recordNumber(), 0);  // before the first
  EXPECT_FALSE(db.skip(-1));
  EXPECT_EQ(db.lastError(), -25);
  EXPECT_TRUE(db.skip(2));
  EXPECT_EQ(db.readField(kQuestion), "q2");
  EXPECT_EQ(db.readField("nope"), "");
  EXPECT_EQ(db.lastError(), -61);
}

TEST_F(RecordDatabaseTest, SeveralDatabasesOneCurrent) {
  auto a = makeBank("a.edb"), b = makeBank("b.edb");
  ASSERT_TRUE(db.openDatabase(a));
  add("from a", "");
  ASSERT_TRUE(db.openDatabase(b));
  EXPECT_FALSE(db.openDatabase(dir / "A.EDB"));  // already open
  EXPECT_TRUE(db.isOpen(dir / "." / "A.edb"));
  EXPECT_EQ(db.recordCount(), 0);  // b is current

  db.closeDatabase();  // closes b
  EXPECT_FALSE(db.isOpen(b));
  EXPECT_TRUE(db.isOpen(a));
  EXPECT_LT(db.recordCount(), 0);
  EXPECT_FALSE(db.addRecord({"x", "y"}));
  EXPECT_EQ(db.lastError(), -67);
  EXPECT_FALSE(db.markDeleted());
  EXPECT_FALSE(db.purgeDeleted());
  EXPECT_FALSE(db.skip());
  EXPECT_EQ(db.readField(kQuestion), "");
  db.goFirst();
  db.closeDatabase(a);
  EXPECT_FALSE(db.isOpen(a));
  EXPECT_EQ(fileBytes(b).size(), 260u);
}

TEST_F(RecordDatabaseTest, FindRecordMovesOnlyOnAMatch) {
  auto path = makeBank();
  ASSERT_TRUE(db.openDatabase(path));
  for (const char* q : {"alpha", "beta", "gamma", "beta"}) add(q, "");
  auto isBeta = [&](RecordDatabase& d) { return d.readField(kQuestion) == "beta"; };
  db.goFirst();
  ASSERT_TRUE(db.findRecord(isBeta));
  EXPECT_EQ(db.recordNumber(), 2);
  ASSERT_TRUE(db.skip());
  ASSERT_TRUE(db.findRecord(isBeta));
  EXPECT_EQ(db.recordNumber(), 4);
  ASSERT_TRUE(db.goTo(3));
  EXPECT_FALSE(db.findRecord([&](RecordDatabase& d) { return d.readField(kQuestion) == "alpha"; }));
  EXPECT_EQ(db.recordNumber(), 3);
}

TEST_F(RecordDatabaseTest, SequentialReadMatchesFieldReadsAcrossChunks) {
  auto path = makeBank();
  ASSERT_TRUE(db.openDatabase(path));
  for (int i = 1; i <= 700; ++i) add(numbered("q", i), numbered("a", i * 7));
  ASSERT_TRUE(db.goTo(300));
  ASSERT_TRUE(db.markDeleted());
  int seen = 0;
  ASSERT_TRUE(db.scanRecords({kAnswer, kQuestion}, [&](const bank::ScanRow& row) {
    ++seen;
    EXPECT_EQ(row.recordNumber, seen);
    EXPECT_EQ(row.serial, seen == 300 ? -300 : seen);
    EXPECT_EQ((*row.texts)[0], numbered("a", seen * 7));
    EXPECT_EQ((*row.texts)[1], numbered("q", seen));
    return true;
  }));
  EXPECT_EQ(seen, 700);
  int stopped = 0;
  ASSERT_TRUE(db.scanRecords({}, [&](const bank::ScanRow&) { return ++stopped < 5; }));
  EXPECT_EQ(stopped, 5);
  EXPECT_FALSE(db.scanRecords({"nope"}, [](const bank::ScanRow&) { return true; }));
}

// Records read where they lie: through mappings of a few records each, and through a file
// system that cannot map, the runs and single records hold what the fields hold.
TEST_F(RecordDatabaseTest, ReaderHandsOutTheRecordsMappedOrRead) {
  auto path = makeBank();
  ASSERT_TRUE(db.openDatabase(path));
  for (int i = 1; i <= 300; ++i) add(numbered("q", i), numbered("a", i));
  ASSERT_TRUE(db.goTo(120) && db.markDeleted());
  db.closeDatabase();

  auto expectRecord = [](const char* record, int index) {
    const int number = index + 1;
    EXPECT_EQ(le::i32(record), number == 120 ? -120 : number);
    EXPECT_EQ(bank::readTextSlot({record + 4, 1000}), numbered("q", number));
    EXPECT_EQ(bank::readTextSlot({record + 1004, 1000}), numbered("a", number));
  };
  FaultyFiles unmappable;
  RecordDatabase reading(unmappable);
  for (RecordDatabase* engine : {&db, &reading}) {
    ASSERT_TRUE(engine->openDatabase(path));
    ASSERT_TRUE(engine->readRecords(
        [&](bank::RecordReader& reader) {
          EXPECT_EQ(reader.count(), 300);
          EXPECT_EQ(reader.stamp().nextSerial, 301);
          int next = 7;
          EXPECT_EQ(reader.forEachRun(7, 290,
                                      [&](const bank::RecordRun& run) {
                                        EXPECT_EQ(run.first, next);
                                        for (int i = 0; i < run.count; ++i)
                                          expectRecord(run.bytes + i * 2004, run.first + i);
                                        next += run.count;
                                        return true;
                                      }),
                    0);
          EXPECT_EQ(next, 290);
          for (int index : {0, 5, 4, 299, 119, 150, 3}) {
            std::string_view record = reader.record(index);
            EXPECT_EQ(record.size(), 2004u);
            if (!record.empty()) expectRecord(record.data(), index);
          }
          EXPECT_TRUE(reader.record(300).empty());
          return 0;
        },
        2004 * 3 + 100));
    engine->closeDatabase();
  }
}

// Two reads of an unchanged bank carry the same stamp; a change by another handle in between
// (even one that keeps the count) or a file system that cannot tell makes them differ.
TEST_F(RecordDatabaseTest, ReadStampsTellAChangedBank) {
  auto path = makeBank();
  ASSERT_TRUE(db.openDatabase(path));
  add("q1", "a1");
  add("q2", "a2");
  auto stampNow = [&](RecordDatabase& engine) {
    bank::RecordsStamp stamp;
    EXPECT_TRUE(engine.readRecords([&](bank::RecordReader& reader) {
      stamp = reader.stamp();
      return 0;
    }));
    return stamp;
  };
  auto first = stampNow(db);
  EXPECT_TRUE(first.sameAs(stampNow(db)));

  RecordDatabase other;
  ASSERT_TRUE(other.openDatabase(path));
  ASSERT_TRUE(other.deleteRecord({1, {}}));
  ASSERT_TRUE(other.addRecord({"q3", "a3"}));
  auto changed = stampNow(db);
  EXPECT_EQ(changed.recordCount, first.recordCount);
  EXPECT_FALSE(changed.sameAs(first));

  FaultyFiles unknowing;
  RecordDatabase blind(unknowing);
  ASSERT_TRUE(blind.openDatabase(path));
  auto unknown = stampNow(blind);
  EXPECT_FALSE(unknown.sameAs(unknown));

  // A file cut short under the engine is no bank to read records from.
  other.closeDatabase();
  blind.closeDatabase();
  std::filesystem::resize_file(path, 260 + 2004 + 10);
  EXPECT_FALSE(db.readRecords([](bank::RecordReader&) { return 0; }));
  EXPECT_EQ(db.lastError(), bank::kReadRecordFailed);
}

TEST_F(RecordDatabaseTest, EveryFieldTypeRoundTrips) {
  auto path = dir / "types.edb";
  ASSERT_TRUE(db.createDatabase(path, {{"b", bank::kByte, 0},
                                       {"s", bank::kShort, 0},
                                       {"i", bank::kInt, 0},
                                       {"l", bank::kInt64, 0},
                                       {"f", bank::kFloat, 0},
                                       {"d", bank::kDouble, 0},
                                       {"yes", bank::kBool, 0},
                                       {"when", bank::kDateTime, 0},
                                       {"fn", bank::kRoutine, 0},
                                       {"t", bank::kText, 8},
                                       {"blob", bank::kBytes, 0},
                                       {"memo", bank::kMemo, 0}}));
  // The companion file is made for byte-string and memo fields.
  std::string companion = fileBytes(dir / "types.EDT");
  ASSERT_EQ(companion.size(), 512u);
  EXPECT_EQ(companion.substr(0, 4), "WEDT");
  EXPECT_EQ(le::i32(&companion[16]), 1);

  ASSERT_TRUE(db.openDatabase(path));
  EXPECT_EQ(db.layout()->header.recordSize, 4 + 1 + 2 + 4 + 8 + 4 + 8 + 1 + 8 + 4 + 8 + 4 + 4);
  ASSERT_TRUE(db.addRecord(
      {"200", "-3", "123456", "9000000000", "1.5", "2.25", "1", "1e9", "7", "texttext!", "", ""}));
  EXPECT_EQ(db.readField("b"), "200");
  EXPECT_EQ(db.readField("s"), "-3");
  EXPECT_EQ(db.readField("i"), "123456");
  EXPECT_EQ(db.readField("l"), "9000000000");
  EXPECT_EQ(db.readField("f"), "1.5");
  EXPECT_EQ(db.readField("d"), "2.25");
  EXPECT_EQ(db.readField("yes"), "1");
  EXPECT_EQ(db.readField("when"), "2958465");  // clamped to 31 December 9999
  EXPECT_EQ(db.readField("fn"), "7");
  EXPECT_EQ(db.readField("t"), "texttext");
  EXPECT_EQ(db.readField("memo"), "");
  // A value the engine cannot keep is refused, not dropped.
  EXPECT_FALSE(db.addRecord({"1", "1", "1", "1", "1", "1", "1", "1", "1", "t", "", "memo text"}));
  EXPECT_EQ(db.recordCount(), 1);
}

// Headers and descriptors that a damaged or hostile file may carry.
class DamagedFileTest : public RecordDatabaseTest {
 protected:
  void SetUp() override {
    path = makeBank();
    ASSERT_TRUE(db.openDatabase(path));
    add("one", "1");
    add("two", "2");
    db.closeDatabase();
    good = fileBytes(path);
  }
  void expectRefused(std::string bytes, int code, bank::OpenOptions options = {}) {
    writeBytes(path, bytes);
    EXPECT_FALSE(db.openDatabase(path, options));
    EXPECT_EQ(db.lastError(), code);
    EXPECT_FALSE(db.isOpen(path));
  }
  std::string patched(std::size_t at, std::int32_t value) {
    std::string bytes = good;
    le::putI32(&bytes[at], value);
    return bytes;
  }

  std::filesystem::path path;
  std::string good;
};

TEST_F(DamagedFileTest, HostileHeadersAreRefused) {
  expectRefused("", -22);
  expectRefused(good.substr(0, 111), -22);
  expectRefused("WEDX" + good.substr(4), -22);
  expectRefused(patched(4, 0x00010001), -23);
  expectRefused(patched(16, -1), -22);           // negative count
  expectRefused(patched(20, 0), -22);            // next serial not positive
  expectRefused(patched(24, 0), -22);            // record size
  expectRefused(patched(24, 2000), -22);         // not 4 + the field widths
  expectRefused(patched(112, 0), -22);           // no fields
  expectRefused(patched(112, 0x7FFFFFFF), -22);  // more descriptors than the file holds
  expectRefused(patched(116 + 20, 13), -22);     // type
  expectRefused(patched(116 + 24, -4), -22);     // offset
  expectRefused(patched(116 + 24, 1500), -22);   // slot past the record's end
  expectRefused(patched(116 + 28, 0), -22);      // text width
  expectRefused(patched(116 + 28, 5000), -22);
  std::string noTerminator = good;
  for (int i = 0; i < 17; ++i) noTerminator[116 + i] = 'a';
  expectRefused(noTerminator, -22);
  // The untouched file still opens.
  writeBytes(path, good);
  EXPECT_TRUE(db.openDatabase(path));
}

TEST_F(DamagedFileTest, ShortLastRecordIsDroppedOnlyWhenWritable) {
  std::string cut = good.substr(0, good.size() - 100);
  expectRefused(cut, -48, {.readOnly = true});
  EXPECT_EQ(fileBytes(path), cut);

  ASSERT_TRUE(db.openDatabase(path));
  EXPECT_EQ(db.recordCount(), 1);
  EXPECT_EQ(fileBytes(path).size(), 260u + 2004);
  db.closeDatabase();

  writeBytes(path, good + "trailing");
  ASSERT_TRUE(db.openDatabase(path, {.readOnly = true}));
  EXPECT_EQ(db.recordCount(), 2);
  EXPECT_FALSE(db.addRecord({"x", "y"}));
  db.closeDatabase();
  EXPECT_EQ(fileBytes(path).size(), good.size() + 8);  // read-only changes nothing
  ASSERT_TRUE(db.openDatabase(path));
  EXPECT_EQ(fileBytes(path), good);
}

TEST_F(DamagedFileTest, NextSerialIsKeptAboveTheLastRecord) {
  writeBytes(path, patched(20, 2));  // a torn update left it behind
  ASSERT_TRUE(db.openDatabase(path));
  add("three", "3");
  EXPECT_EQ(le::i32(&fileBytes(path)[260 + 2 * 2004]), 3);
}

TEST_F(DamagedFileTest, CompanionFileIsChecked) {
  auto memo = dir / "memo.edb";
  ASSERT_TRUE(db.createDatabase(memo, {{"m", bank::kMemo, 0}}));
  auto edt = dir / "memo.EDT";
  std::string header = fileBytes(edt);
  auto expectCompanion = [&](std::string bytes, int code, bool readOnly = false) {
    writeBytes(edt, bytes);
    EXPECT_FALSE(db.openDatabase(memo, {.readOnly = readOnly}));
    EXPECT_EQ(db.lastError(), code);
  };
  std::string bad = header;
  le::putI32(&bad[20], 1);  // reference beyond the block count
  expectCompanion(bad, -35);
  bad = header;
  le::putI32(&bad[4], 0x00020000);
  expectCompanion(bad, -36);
  bad = header;
  le::putI32(&bad[16], 3);
  expectCompanion(bad, -37, true);
  ASSERT_TRUE(db.openDatabase(memo));  // read-write lowers the block count instead
  EXPECT_EQ(le::i32(&fileBytes(edt)[16]), 1);
  db.closeDatabase();
  std::filesystem::remove(edt);
  EXPECT_FALSE(db.openDatabase(memo));
  EXPECT_EQ(db.lastError(), -35);
}

TEST_F(RecordDatabaseTest, LocksKeepOtherHandlesOut) {
  auto path = makeBank();
  ASSERT_TRUE(db.openDatabase(path));
  platform::FileFault fault;
  auto other = platform::nativeFileSystem().open(path, {}, fault);
  ASSERT_TRUE(other);

  // Another handle holds the count: appending fails at once, nothing is written.
  ASSERT_TRUE(other->tryLock(16, 1));
  EXPECT_FALSE(db.addRecord({"q", "a"}));
  EXPECT_EQ(db.lastError(), -13);
  EXPECT_EQ(fileBytes(path).size(), 260u);
  RecordDatabase second;
  EXPECT_FALSE(second.openDatabase(path));  // opening locks the whole file
  other->unlock(16, 1);
  add("q", "a");
  ASSERT_TRUE(second.openDatabase(path));
  EXPECT_EQ(second.recordCount(), 1);
  ASSERT_TRUE(second.addRecord({"q2", "a2"}));
  EXPECT_EQ(db.recordCount(), 2);

  // An exclusive open keeps out another exclusive one.
  db.closeDatabase();
  second.closeDatabase();
  other.reset();
  RecordDatabase lone, rival;
  ASSERT_TRUE(lone.openDatabase(path, {.exclusive = true}));
  EXPECT_FALSE(rival.openDatabase(path, {.exclusive = true}));
  EXPECT_EQ(rival.lastError(), -12);
}

// A purge rewrites the bank in place: another handle on it, here or in another program, keeps
// working with the purged records and never writes into a file that is gone.
TEST_F(RecordDatabaseTest, PurgeWorksWhileAnotherHandleHoldsTheBank) {
  auto path = makeBank();
  ASSERT_TRUE(db.openDatabase(path));
  add("q1", "a1");
  add("q2", "a2");
  ASSERT_TRUE(db.goTo(1) && db.markDeleted());
  RecordDatabase other;
  ASSERT_TRUE(other.openDatabase(path));
  EXPECT_TRUE(db.purgeDeleted());
  EXPECT_EQ(other.recordCount(), 1);
  ASSERT_TRUE(other.addRecord({"q3", "a3"}));
  EXPECT_EQ(db.recordCount(), 2);
  ASSERT_TRUE(db.goTo(2));
  EXPECT_EQ(db.readField(kQuestion), "q3");
  EXPECT_FALSE(std::filesystem::exists(bank::journalPath(path)));
}

TEST_F(RecordDatabaseTest, OracleAgreesBothWays) {
  if (!oracleAvailable()) GTEST_SKIP() << "python3 with the oracle is not reachable";
  // Made by the oracle, read by the engine.
  auto theirs = dir / "theirs.edb";
  oracle("create " + quoted(theirs.string()));
  oracle("add " + quoted(theirs.string()) + " 'what is it' 'an answer'");
  oracle("add " + quoted(theirs.string()) + " 'second' ''");
  oracle("add " + quoted(theirs.string()) + " 'third' 'x'");
  oracle("delete " + quoted(theirs.string()) + " 2");
  ASSERT_TRUE(db.openDatabase(theirs));
  EXPECT_EQ(engineDump(db), oracleDump(theirs));
  ASSERT_TRUE(db.goTo(1));
  EXPECT_EQ(db.readField(kAnswer), "an answer");
  ASSERT_TRUE(db.purgeDeleted());
  db.closeDatabase();
  EXPECT_EQ(oracle("check " + quoted(theirs.string())).out, "");

  // Made by the engine, read by the oracle.
  auto ours = makeBank("ours.edb");
  ASSERT_TRUE(db.openDatabase(ours));
  add("\xD5\x5C\x81\x5C\x81\x41", std::string(1000, 'a'));  // 誠乗丄
  add(std::string(1200, 'q'), "");
  add("gone", "soon");
  ASSERT_TRUE(db.markDeleted());
  std::string mine = engineDump(db);
  EXPECT_EQ(mine, oracleDump(ours));
  ASSERT_TRUE(db.purgeDeleted());
  EXPECT_EQ(engineDump(db), oracleDump(ours));
  db.closeDatabase();
  CommandRun check = oracle("check " + quoted(ours.string()));
  EXPECT_EQ(check.status, 0) << check.out;
}

}  // namespace
