// The compound-file container: streams in regular and mini sectors, and damaged tables.
#include "spreadsheet/xls/compound_file.h"

#include <gtest/gtest.h>

#include "workbook_builder.h"

namespace {

using namespace xls_test;

std::string pattern(std::size_t size, char seed) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>(seed + i * 7 + i / 251);
  return data;
}

struct Opened {
  bool ok = false;
  std::string error;
  std::string data;
};

Opened readNamed(const std::string& file, std::u16string_view name) {
  Opened result;
  xls::CompoundFile cfb;
  if (!cfb.open(file, result.error)) return result;
  int index = cfb.findStream(name);
  if (index < 0) {
    result.error = "not found";
    return result;
  }
  result.ok = cfb.readStream(index, result.data, result.error);
  return result;
}

std::uint32_t headerField(const std::string& file, std::size_t offset) {
  return static_cast<std::uint8_t>(file[offset]) |
         static_cast<std::uint8_t>(file[offset + 1]) << 8 |
         static_cast<std::uint8_t>(file[offset + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(file[offset + 3])) << 24;
}

TEST(CompoundFile, ReadsStreamsFromRegularAndMiniSectors) {
  std::string small = pattern(1000, 'a');
  std::string large = pattern(70000, 'b');
  std::string file = compoundFile({{u"Small", small}, {u"Large", large}, {u"Empty", ""}});
  EXPECT_EQ(readNamed(file, u"small").data, small);  // names compare without case
  EXPECT_EQ(readNamed(file, u"Large").data, large);
  Opened empty = readNamed(file, u"Empty");
  EXPECT_TRUE(empty.ok) << empty.error;
  EXPECT_TRUE(empty.data.empty());
  EXPECT_FALSE(readNamed(file, u"Missing").ok);
}

TEST(CompoundFile, RefusesChainsThatLoopOrLeaveTheFile) {
  std::string file = compoundFile({{u"Large", pattern(9000, 'c')}, {u"Small", pattern(300, 'd')}});
  std::uint32_t dirStart = headerField(file, 0x30);
  std::uint32_t miniFatStart = headerField(file, 0x3C);

  std::string dirLoop = file;
  patchU32(dirLoop, fatEntryOffset(dirStart), dirStart);
  EXPECT_NE(readNamed(dirLoop, u"Large").error.find("chain"), std::string::npos);

  // The large stream's sectors follow the mini stream's; make its second sector point back.
  std::string streamLoop = file;
  std::uint32_t lastSector = static_cast<std::uint32_t>(file.size() / 512 - 2);
  patchU32(streamLoop, fatEntryOffset(lastSector), lastSector - 1);
  EXPECT_FALSE(readNamed(streamLoop, u"Large").ok);

  std::string miniLoop = file;
  std::size_t miniFatOffset = 512 * (static_cast<std::size_t>(miniFatStart) + 1);
  patchU32(miniLoop, miniFatOffset, 0);  // mini sector 0 follows itself
  EXPECT_FALSE(readNamed(miniLoop, u"Small").ok);

  std::string outside = file;
  patchU32(outside, fatEntryOffset(dirStart), 100000);
  EXPECT_FALSE(readNamed(outside, u"Large").ok);

  std::string tooManyTables = file;
  patchU32(tooManyTables, 0x2C, 0x40000000);
  EXPECT_FALSE(readNamed(tooManyTables, u"Large").ok);

  std::string badShift = file;
  badShift[0x1E] = 30;
  EXPECT_FALSE(readNamed(badShift, u"Large").ok);
}

TEST(CompoundFile, SurvivesALoopInTheDirectoryTree) {
  std::string file = compoundFile({{u"A", "x"}, {u"B", "y"}});
  std::size_t directory = 512 * (static_cast<std::size_t>(headerField(file, 0x30)) + 1);
  patchU32(file, directory + 2 * 128 + 0x48, 1);  // B's right sibling is A again
  EXPECT_FALSE(readNamed(file, u"C").ok);
  EXPECT_EQ(readNamed(file, u"B").data, "y");
}

TEST(CompoundFile, CapsADeclaredSizeAtWhatTheChainHolds) {
  std::string file = compoundFile({{u"Large", pattern(5000, 'e')}});
  std::size_t directory = 512 * (static_cast<std::size_t>(headerField(file, 0x30)) + 1);
  patchU32(file, directory + 128 + 0x78, 0x7FFFFFFF);
  Opened opened = readNamed(file, u"Large");
  EXPECT_TRUE(opened.ok) << opened.error;
  EXPECT_EQ(opened.data.size(), 5120u);  // whole sectors of the chain
}

}  // namespace
