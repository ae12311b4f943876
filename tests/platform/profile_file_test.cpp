// The settings file as both builds read and write it. The same expectations run natively (our
// own rules) and under Wine (the system's profile API), so passing in both proves the two
// builds read every file alike.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "fresh_folder.h"
#include "platform/cp936.h"
#include "platform/files.h"
#include "platform/profile_file.h"

namespace fs = std::filesystem;

namespace {

std::string gbk(const char* utf8) { return cp936::fromUtf8(utf8); }

fs::path settingsFile(const char* folder, std::string_view bytes) {
  auto file = freshFolder(folder) / fs::path(u8"配置.ini");
  EXPECT_TRUE(platform::writeFileAtomic(file, bytes));
  return file;
}

struct Expected {
  std::string section, key, value;
};

void expectValues(const fs::path& file, const std::vector<Expected>& table) {
  for (const Expected& e : table)
    EXPECT_EQ(platform::readProfileString(file, e.section, e.key), e.value)
        << "[" << e.section << "] " << e.key;
}

TEST(ProfileFile, TrimsNamesAndValuesAsTheApiDoes) {
  auto file = settingsFile(
      "profile-trim",
      gbk("  [ 甲 ]  \r\n"
          "  a  =  1  \r\n"
          "\tb\t=\tq\t\r\n"
          "ctl=\x1Ax\x0B\x0C\r\n"
          "ideographic=\xE3\x80\x80x\xE3\x80\x80\r\n"  // U+3000 is not a blank to the API
          "twice==x\r\n"
          "novalue\r\n"
          "semicolon=;not a comment\r\n"
          "; commented = yes\r\n"
          "[乙] trailing text\r\n"
          "k=v\r\n"
          "[丙]]\r\n"
          "k=w\r\n"));
  expectValues(file, {{gbk("甲"), "a", "1"},
                      {gbk("甲"), "b", "q"},
                      {gbk("甲"), "ctl", "x"},
                      {gbk("甲"), "ideographic", gbk("\xE3\x80\x80x\xE3\x80\x80")},
                      {gbk("甲"), "twice", "=x"},
                      {gbk("甲"), "novalue", ""},
                      {gbk("甲"), "semicolon", ";not a comment"},
                      {gbk("甲"), "; commented", "yes"},
                      {gbk("乙"), "k", "v"},
                      {gbk("丙]"), "k", "w"}});
}

TEST(ProfileFile, RemovesOnePairOfMatchingQuotesAndCutsAtNul) {
  std::string text =
      "[q]\r\n"
      "double=\"x y\"\r\nsingle='x'\r\nopen=\"x\r\nmixed=\"x'\r\nempty=\"\"\r\nlone=\"\r\n"
      "padded= \" x \" \r\ninner=\"a\"b\"\r\n";
  const char nuls[] = "nul=1\0x\r\nquotednul=\"x\0\"\r\n";
  text.append(nuls, sizeof nuls - 1);
  auto file = settingsFile("profile-quotes", text);
  expectValues(file, {{"q", "double", "x y"},
                      {"q", "single", "x"},
                      {"q", "open", "\"x"},
                      {"q", "mixed", "\"x'"},
                      {"q", "empty", ""},
                      {"q", "lone", "\""},
                      {"q", "padded", " x "},
                      {"q", "inner", "a\"b"},
                      {"q", "nul", "1"},
                      {"q", "quotednul", "\"x"}});
}

TEST(ProfileFile, FirstMatchWinsWithoutCase) {
  auto file =
      settingsFile("profile-first", gbk("[Mixed Case]\r\nKey=1\r\nkey=2\r\nnone\r\nnone=3\r\n"
                                        "[mixed case]\r\nlater=hidden\r\n"
                                        "[丄]\r\nk=upper trail\r\n"
                                        "[乤]\r\nk=lower trail\r\n"
                                        "[括]乚\r\nk=bracket trail\r\n"
                                        "[ΑΒ]\r\nk=greek\r\n"));
  expectValues(file, {{"MIXED case", "KEY", "1"},
                      {"mixed case", "none", ""},
                      {"mixed case", "later", ""},
                      {gbk("丄"), "k", "upper trail"},
                      {gbk("乤"), "k", "lower trail"},
                      {gbk("括"), "k", "bracket trail"},
                      // Only ASCII letters fold, as the API compares them.
                      {gbk("αβ"), "k", ""}});
}

TEST(ProfileFile, LinesEndAtCrOrLfAndTheLastNeedsNoEnding) {
  auto file = settingsFile("profile-endings", "[s]\ra=1\rb=2\n[t]\nc=3\r\n\r\n\r\nd=4");
  expectValues(file, {{"s", "a", "1"}, {"s", "b", "2"}, {"t", "c", "3"}, {"t", "d", "4"}});
}

TEST(ProfileFile, LongValuesAreCutToTheBufferWithoutSplittingACharacter) {
  std::string chinese;
  for (int i = 0; i < 6000; ++i) chinese += gbk("字");
  auto file =
      settingsFile("profile-long", "[s]\r\nascii=" + std::string(20000, 'x') +
                                       "\r\nchinese=" + chinese + "\r\nq=\"123456789\"\r\n");
  EXPECT_EQ(platform::readProfileString(file, "s", "ascii"), std::string(10239, 'x'));
  EXPECT_EQ(platform::readProfileString(file, "s", "chinese"), chinese.substr(0, 10238));
  EXPECT_EQ(platform::readProfileString(file, "s", "q", 5), "1234");
  EXPECT_EQ(platform::readProfileString(file, "s", "q", 0), "");
}

TEST(ProfileFile, ByteOrderMarksChooseTheEncoding) {
  auto utf8 = settingsFile("profile-utf8", "\xEF\xBB\xBF[\xE7\x99\xBE]\r\na=\xE4\xB8\xAD\r\n");
  EXPECT_EQ(platform::readProfileString(utf8, gbk("百"), "a"), gbk("中"));
  ASSERT_TRUE(platform::writeProfileStrings(utf8, gbk("百"), {{"b", gbk("文")}}));
  auto bytes = platform::readFile(utf8).value_or("");
  EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBF")) << "stays UTF-8";
  EXPECT_NE(bytes.find("b=\xE6\x96\x87"), std::string::npos);

  std::u16string units = u"[\u767e]\r\na=\u4e2d\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char16_t u : units) utf16 += char(u & 0xFF), utf16 += char(u >> 8);
  auto wide = settingsFile("profile-utf16", utf16);
  EXPECT_EQ(platform::readProfileString(wide, gbk("百"), "a"), gbk("中"));
  ASSERT_TRUE(platform::writeProfileStrings(wide, gbk("百"), {{"a", "new"}}));
  EXPECT_TRUE(platform::readFile(wide).value_or("").starts_with("\xFF\xFE"));
  EXPECT_EQ(platform::readProfileString(wide, gbk("百"), "a"), "new");
}

TEST(ProfileFile, WritingKeepsEverythingElse) {
  auto file = settingsFile("profile-keep", gbk("top=0\r\n"
                                               "[s]\r\n  a = old \r\n; note\r\n\r\nb=2\r\n\r\n"
                                               "[t]\r\nc=3\r\n"
                                               "[S]\r\nb=second\r\n"));
  ASSERT_TRUE(platform::writeProfileStrings(file, "S", {{"A", "new"}, {"z", "9"}, {"b", "two"}}));
  ASSERT_TRUE(platform::writeProfileStrings(file, gbk("新节"), {{"k", gbk("值")}}));
  expectValues(file, {{"s", "a", "new"},
                      {"s", "z", "9"},
                      {"s", "b", "two"},
                      {"t", "c", "3"},
                      {gbk("新节"), "k", gbk("值")}});
  EXPECT_FALSE(fs::exists(platform::temporarySibling(file)));
  // A value is stored as given and read back trimmed, in both builds.
  ASSERT_TRUE(platform::writeProfileStrings(file, "t", {{"c", "  spaced  "}}));
  EXPECT_EQ(platform::readProfileString(file, "t", "c"), "spaced");
}

TEST(ProfileFile, CreatesAMissingFileInGbk) {
  auto file = freshFolder("profile-new") / fs::path(u8"配置.ini");
  EXPECT_EQ(platform::readProfileString(file, gbk("百度识别"), "API Key"), "");
  ASSERT_TRUE(platform::writeProfileStrings(file, gbk("百度识别"),
                                            {{"API Key", "AB12"}, {"Secret Key", "CD34"}}));
  EXPECT_EQ(platform::readFile(file),
            "[\xB0\xD9\xB6\xC8\xCA\xB6\xB1\xF0]\r\nAPI Key=AB12\r\nSecret Key=CD34\r\n");
}

TEST(ProfileFile, RefusesWhatAProfileFileCannotHold) {
  const std::string before = "[s]\r\na=1\r\n";
  auto file = settingsFile("profile-refuse", before);
  const std::vector<std::pair<std::string, std::vector<platform::ProfileEntry>>> refused = {
      {"s", {{"a", "line1\r\nline2"}}},
      {"s", {{"a", std::string("x\0y", 3)}}},
      {"s", {{"k=j", "v"}}},
      {"s", {{"[k", "v"}}},
      {"s", {{"", "v"}}},
      {"s", {{" a", "v"}}},
      {"", {{"a", "v"}}},
      {"s\n[t]", {{"a", "v"}}},
      {"s", {{"b", "ok"}, {"c", "bad\n"}}},  // nothing of a refused batch is written
  };
  for (const auto& [section, entries] : refused)
    EXPECT_FALSE(platform::writeProfileStrings(file, section, entries)) << section;
  EXPECT_EQ(platform::readFile(file), before);
  EXPECT_EQ(platform::readProfileString(file, "", "a"), "");
}

TEST(ProfileFile, HostileFilesNeverBreakReadingOrWriting) {
  // Binary junk with NULs, lone lead bytes and no final line break, then our section.
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += char((i * 7919) % 251);
  auto binary = settingsFile("profile-binary", junk + "\n\n[s]\na=1");
  EXPECT_EQ(platform::readProfileString(binary, "s", "a"), "1");
  ASSERT_TRUE(platform::writeProfileStrings(binary, "s", {{"b", "2"}}));
  EXPECT_EQ(platform::readProfileString(binary, "s", "a"), "1");
  EXPECT_EQ(platform::readProfileString(binary, "s", "b"), "2");

  // Large but plausible: read to the end.
  std::string big;
  for (int i = 0; big.size() < (4u << 20); ++i) big += "[junk" + std::to_string(i) + "]\r\nk=v\r\n";
  auto large = settingsFile("profile-large", big + "[s]\r\na=found\r\n");
  EXPECT_EQ(platform::readProfileString(large, "s", "a"), "found");

  // Beyond any settings file: not read, not replaced.
  std::string huge(platform::kMaxProfileFileBytes + 1, ' ');
  huge.replace(0, 9, "[s]\r\na=1\n");
  auto oversized = settingsFile("profile-huge", huge);
  EXPECT_EQ(platform::readProfileString(oversized, "s", "a"), "");
  EXPECT_FALSE(platform::writeProfileStrings(oversized, "s", {{"a", "2"}}));
  EXPECT_EQ(fs::file_size(oversized), huge.size());

  // A folder where the file should be.
  auto folder = freshFolder("profile-folder") / "settings.ini";
  fs::create_directory(folder);
  EXPECT_EQ(platform::readProfileString(folder, "s", "a"), "");
  EXPECT_FALSE(platform::writeProfileStrings(folder, "s", {{"a", "1"}}));
  EXPECT_TRUE(fs::is_directory(folder));
}

#ifndef _WIN32
TEST(ProfileFile, AFifoIsNeitherReadNorReplaced) {
  auto fifo = freshFolder("profile-fifo") / "settings.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(platform::readProfileString(fifo, "s", "a"), "");  // returns at once, no writer
  EXPECT_FALSE(platform::writeProfileStrings(fifo, "s", {{"a", "1"}}));
  EXPECT_TRUE(fs::is_fifo(fifo));
}
#endif

// Each build applies the same changes to the same file and must write exactly the bytes kept in
// its own golden file; each then reads the other build's golden with the same expectations.
TEST(ProfileFileAcrossBuilds, EachBuildReadsWhatTheOtherWrote) {
  const std::string seed =
      gbk("top=0\r\n"
          "; settings\r\n"
          "[百度识别]\r\n"
          "api key = 旧的\r\n"
          "extra=\"kept\"\r\n"
          "\r\n"
          "[其他]\r\n"
          "name=值\r\n"
          "[百度识别]\r\n"
          "Secret Key=second section\r\n");
  auto file = settingsFile("profile-across", seed);
  ASSERT_TRUE(platform::writeProfileStrings(file, gbk("百度识别"),
                                            {{"API Key", "0A1B"}, {"Secret Key", "2C3D"}}));
  ASSERT_TRUE(platform::writeProfileStrings(file, gbk("新"), {{"k", gbk("新值")}}));
  const std::vector<Expected> expected = {{gbk("百度识别"), "API Key", "0A1B"},
                                          {gbk("百度识别"), "Secret Key", "2C3D"},
                                          {gbk("百度识别"), "extra", "kept"},
                                          {gbk("其他"), "name", gbk("值")},
                                          {gbk("新"), "k", gbk("新值")}};
  expectValues(file, expected);

  const fs::path goldens = fs::path(QUORVIX_SOURCE_DIR) / "tests/platform/profile";
#ifdef _WIN32
  const fs::path mine = goldens / "written_by_windows.ini",
                 theirs = goldens / "written_natively.ini";
#else
  const fs::path mine = goldens / "written_natively.ini",
                 theirs = goldens / "written_by_windows.ini";
#endif
  auto written = platform::readFile(file).value_or("");
  if (written != platform::readFile(mine)) {
    auto actual = fs::temp_directory_path() / mine.filename();
    platform::writeFileAtomic(actual, written);
    ADD_FAILURE() << "this build wrote other bytes than " << mine << "; see " << actual;
  }
  auto other = platform::readFile(theirs);
  ASSERT_TRUE(other) << theirs;
  expectValues(settingsFile("profile-theirs", *other), expected);
}

}  // namespace
