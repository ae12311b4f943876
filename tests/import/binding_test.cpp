#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "import/library_file.h"
#include "import/xl_binding.h"
#include "import/xl_book.h"
#include "platform/cp936.h"
#include "platform/file_version.h"
#include "platform/files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

const fs::path kQbank = fs::path(QUORVIX_FIXTURES) / "qbank";

fs::path freshFolder(const std::string& name) {
  auto folder = fs::temp_directory_path() / ("quorvix-binding-" + name);
  std::error_code ec;
  if (fs::exists(folder / xlbind::libraryFileName()))
    platform::clearFileAttributes(folder / xlbind::libraryFileName());
  fs::remove_all(folder, ec);
  fs::create_directories(folder);
  return folder;
}

std::string gbk(const char* utf8) { return cp936::fromUtf8(utf8); }

// The library image with its FileVersion changed, as an older release would carry it.
std::string imageWithVersion(const std::string& version) {
  std::string image(LibraryImage());
  auto replaceAll = [&](const std::string& from, const std::string& to) {
    for (auto at = image.find(from); at != std::string::npos; at = image.find(from, at + 1))
      image.replace(at, from.size(), to);
  };
  auto utf16 = [](const std::string& ascii) {
    std::string out;
    for (char c : ascii) out += c, out += '\0';
    return out;
  };
  replaceAll("FileVersion=4.0.0.0", "FileVersion=" + version);  // the native block
  replaceAll(utf16("4.0.0.0"), utf16(version));                 // the Windows resource
  return image;
}

// Every test reads through the library written into one folder, as the program does.
class Binding : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(EnsureLibraryFileIn(freshFolder("run"))); }
};

TEST(LibraryFile, IsWrittenWhenMissingAndCarriesItsVersion) {
  auto folder = freshFolder("missing");
  ASSERT_TRUE(EnsureLibraryFileIn(folder));
  auto path = folder / xlbind::libraryFileName();
  EXPECT_EQ(fs::file_size(path), LibraryImage().size());
  std::string error;
  EXPECT_EQ(GetFileVersionText(path, error), "4.0.0.0");
  EXPECT_EQ(error, "");
#ifdef _WIN32
  EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(EnsureLibraryFileIn(folder, false));
  EXPECT_FALSE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
#endif
}

TEST(LibraryFile, AnyOtherFileIsReplacedEvenOfTheSameVersion) {
  // The last one is as an older build of the program left it: the same version, other code.
  for (const std::string& content : {imageWithVersion("4.0.1.0"), std::string("not a library"),
                                     std::string(LibraryImage()) + "older"}) {
    auto folder = freshFolder("replace");
    auto path = folder / xlbind::libraryFileName();
    ASSERT_TRUE(platform::writeFileAtomic(path, content));
#ifdef _WIN32
    // A hidden file must be replaceable too.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
#endif
    std::string error;
    if (content.size() > 100) {
      EXPECT_NE(GetFileVersionText(path, error), "") << "a library the program can read";
    }
    ASSERT_TRUE(EnsureLibraryFileIn(folder));
    EXPECT_EQ(platform::readFile(path), std::string(LibraryImage()));
    for (const auto& entry : fs::directory_iterator(folder))
      EXPECT_FALSE(platform::isTemporarySibling(entry.path())) << entry.path();
  }
}

TEST(LibraryFile, VersionTextNamesTheStepThatFailed) {
  auto folder = freshFolder("version");
  std::string error;
  EXPECT_EQ(GetFileVersionText(folder / "absent.dll", error), "");
  EXPECT_EQ(error, gbk(xlversion::kSizeFailed));
  ASSERT_TRUE(platform::writeFileAtomic(folder / "plain.txt", "no version here"));
  error.clear();
  EXPECT_EQ(GetFileVersionText(folder / "plain.txt", error), "");
  EXPECT_EQ(error, gbk(xlversion::kSizeFailed));
  EXPECT_EQ(platform::fileVersionQuery(0x0804, 0x04B0), "\\StringFileInfo\\080404B0\\FileVersion");
}

TEST(LibraryFile, FailsWhenTheFolderCannotBeWritten) {
  EXPECT_FALSE(EnsureLibraryFileIn(freshFolder("gone") / "no" / "such" / "folder"));
}

TEST_F(Binding, ReadsCellsAsTheImportShowsThem) {
  XlBook book;
  ASSERT_TRUE(book.load(kQbank / "qbank_small.xlsx")) << book.loadFailure();
  EXPECT_EQ(book.sheetCount(), 2);
  EXPECT_EQ(book.sheetName(0), gbk("题库"));
  EXPECT_EQ(book.sheetIndexOf(gbk("说明")), 1);
  EXPECT_EQ(book.sheetIndexOf(std::string("nope")), -1);
  EXPECT_EQ(book.sheetIndexOf(2), -1);
  XlSheet sheet = book.getSheet(0);
  EXPECT_EQ(book.sheetIndexOf(sheet), 0);
  EXPECT_EQ(sheet.readText(0, 1), gbk("题目"));
  // Sheet rows are Excel rows minus one; column C holds the answers.
  EXPECT_EQ(sheet.readText(74, 2), "TRUE");
  EXPECT_EQ(sheet.readText(75, 2), "FALSE");
  EXPECT_EQ(sheet.readText(56, 2), gbk("2023年1月5日"));
  EXPECT_EQ(sheet.readText(77, 2), "0.3");
  EXPECT_EQ(sheet.readText(79, 2), "1.234567890123e+15");
  EXPECT_EQ(sheet.readText(76, 2), "");  // #DIV/0!
  EXPECT_EQ(sheet.cellType(76, 2), XlSheet::kError);
  EXPECT_EQ(sheet.readText("c79"), gbk("北京市"));
  EXPECT_EQ(sheet.firstRow(), 0);
  EXPECT_EQ(sheet.lastRow(), 202);  // 200 questions, the header and the empty row's neighbour
  EXPECT_EQ(sheet.lastCol(), 4);
}

TEST_F(Binding, FindsCellsRowByRow) {
  XlBook book;
  ASSERT_TRUE(book.load(kQbank / "qbank_small.xlsx"));
  XlSheet sheet = book.getSheet(0);
  int row = 0, col = 0;
  ASSERT_TRUE(sheet.findFirst("TRUE", true, row, col));
  EXPECT_EQ((std::pair{row, col}), (std::pair{74, 2}));
  EXPECT_FALSE(sheet.findNext(row, col));
  EXPECT_EQ((std::pair{row, col}), (std::pair{-1, -1}));
  ASSERT_TRUE(sheet.findFirst(gbk("2023年1月5日"), false, row, col));
  EXPECT_EQ(row, 56);
  ASSERT_TRUE(sheet.findNext(row, col));
  EXPECT_EQ(row, 57);
}

TEST_F(Binding, ReportsNumberFormatsLikeExcelWhateverTheWriter) {
  for (const char* file : {"qbank_small.xlsx", "qbank_small.lo.xlsx"}) {
    XlBook book;
    ASSERT_TRUE(book.load(kQbank / file)) << file;
    XlSheet sheet = book.getSheet(0);
    XlFormatRecord format;
    EXPECT_EQ(sheet.readText(54, 2, &format), "0.256") << file;
    EXPECT_EQ(format.numberFormat, "10") << file;
    sheet.readText(55, 2, &format);
    EXPECT_EQ(format.numberFormat, "0.0000%") << file;
    EXPECT_EQ(sheet.readText(56, 2, &format), gbk("2023年1月5日")) << file;
    EXPECT_EQ(format.numberFormat, "14") << file;
    EXPECT_TRUE(sheet.isDate(57, 2)) << file;
    sheet.readText(60, 2, &format);
    EXPECT_EQ(format.numberFormat, "h:mm;@") << file;
    EXPECT_EQ(sheet.readText(60, 2), gbk("1899年12月30日13时5分")) << file;
    sheet.readText(63, 2, &format);
    EXPECT_EQ(format.numberFormat, "0.00_ ") << file;
  }
}

TEST_F(Binding, LoadsWhateverTheExtensionSays) {
  auto folder = freshFolder("named");
  auto bytes = platform::readFile(kQbank / "qbank_small.xlsx");
  ASSERT_TRUE(bytes);
  ASSERT_TRUE(platform::writeFileAtomic(folder / "book.xls", *bytes));
  XlBook book;
  ASSERT_TRUE(book.load(folder / "book.xls"));
  EXPECT_EQ(book.kind(), XlBook::kXlsx);
  EXPECT_NE(book.loadFailure().find(".xls"), std::string::npos);

  XlBook raw;
  ASSERT_TRUE(raw.loadRaw(*bytes));
  EXPECT_EQ(raw.getSheet(0).readText(1, 0), "1");
}

TEST_F(Binding, FailedLoadsLeaveNoBookAndWrappersCheckTheirHandle) {
  XlBook book;
  EXPECT_FALSE(
      book.load(fs::path(QUORVIX_FIXTURES) / "workbooks/mustfail/poi/poc-shared-strings.xlsx"));
  EXPECT_EQ(book.handle(), nullptr);
  EXPECT_FALSE(book.loadFailure().empty());
  EXPECT_EQ(book.sheetCount(), 0);
  EXPECT_EQ(book.errorMessage(), "");
  XlSheet none = book.getSheet(0);
  EXPECT_EQ(none.handle(), nullptr);
  EXPECT_EQ(none.readText(0, 0), "");
  EXPECT_EQ(none.cellType(0, 0), XlSheet::kEmpty);
  EXPECT_EQ(none.lastRow(), 0);
  EXPECT_FALSE(book.create(7));
}

// What loading `path` fails with; the book must be left empty.
std::string loadFailureOf(const fs::path& path) {
  XlBook book;
  EXPECT_FALSE(book.load(path)) << path;
  EXPECT_EQ(book.handle(), nullptr);
  return book.loadFailure();
}

TEST_F(Binding, EveryFailedLoadSaysWhyOnce) {
  auto folder = freshFolder("refused");
  const fs::path mustFail = fs::path(QUORVIX_FIXTURES) / "workbooks/mustfail";
  EXPECT_EQ(loadFailureOf(folder), "the path is a folder, not a workbook file");
  EXPECT_EQ(loadFailureOf(folder / "none.xlsx"), "the file does not exist");
  std::ofstream(folder / "empty.xlsx").close();
  EXPECT_EQ(loadFailureOf(folder / "empty.xlsx"), "the workbook is empty (0 bytes)");
  // Refused by its size alone, before a byte of it is read.
  std::ofstream(folder / "huge.xlsx").close();
  fs::resize_file(folder / "huge.xlsx", (std::uintmax_t{256} << 20) + 1);
  EXPECT_EQ(loadFailureOf(folder / "huge.xlsx"),
            "the file is too big to be a workbook (257 MB; at most 256 MB)");
  fs::remove(folder / "huge.xlsx");
  // The attempt that knows the file's kind says why; the other only that it is not its kind.
  EXPECT_EQ(loadFailureOf(mustFail / "calamine/pass_protected.xlsx"),
            "the workbook is encrypted (password protected)");
  EXPECT_EQ(loadFailureOf(mustFail / "edr/as3xls_BIFF5.xls"),
            "unsupported file: Excel 5.0/95 workbook (BIFF5)");
  auto bytes = platform::readFile(kQbank / "qbank_small.xlsx");
  ASSERT_TRUE(bytes);
  ASSERT_TRUE(platform::writeFileAtomic(folder / "cut.xlsx", bytes->substr(0, bytes->size() / 2)));
  EXPECT_NE(loadFailureOf(folder / "cut.xlsx").find("cut short"), std::string::npos);
  ASSERT_TRUE(platform::writeFileAtomic(folder / "notes.xlsx", "just some text\n"));
  EXPECT_EQ(
      loadFailureOf(folder / "notes.xlsx"),
      "not an .xls workbook (no OLE compound file); not an .xlsx workbook (not a ZIP package)");
#ifndef _WIN32
  // Neither may hang or grow without bound.
  ASSERT_EQ(mkfifo((folder / "fifo.xlsx").c_str(), 0600), 0);
  EXPECT_EQ(loadFailureOf(folder / "fifo.xlsx"),
            "the path is a FIFO (named pipe), not a workbook file");
  fs::create_symlink("/dev/zero", folder / "zero.xlsx");
  EXPECT_EQ(loadFailureOf(folder / "zero.xlsx"), "the path is a device, not a workbook file");
#else
  EXPECT_EQ(loadFailureOf("NUL"), "the path is a device, not a workbook file");
#endif
}

TEST_F(Binding, PacksAndUnpacksDatesAndColours) {
  XlBook book;
  ASSERT_TRUE(book.create(XlBook::kXlsx));
  EXPECT_DOUBLE_EQ(XLCALL(xlBookDatePackW)(book.handle(), 2023, 1, 5, 13, 30, 0, 0), 44931.5625);
  int y = 0, m = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  ASSERT_TRUE(XLCALL(xlBookDateUnpackW)(book.handle(), 44931.5625, &y, &m, &d, &h, &mi, &s, &ms));
  EXPECT_EQ((std::tuple{y, m, d, h, mi, s, ms}), (std::tuple{2023, 1, 5, 13, 30, 0, 0}));
  int color = XLCALL(xlBookColorPackW)(book.handle(), 0x11, 0x22, 0x33);
  int r = 0, g = 0, b = 0;
  XLCALL(xlBookColorUnpackW)(book.handle(), color, &r, &g, &b);
  EXPECT_EQ((std::tuple{r, g, b}), (std::tuple{0x11, 0x22, 0x33}));
}

TEST(FormatRecord, StartsEmptied) {
  XlFormatRecord record;
  record.wrap = true;
  record.numberFormat = "14";
  EXPECT_EQ(emptyFormatRecord(record), gbk("空"));
  EXPECT_EQ(record, XlFormatRecord());
  EXPECT_EQ(record.font.color, -1);
  EXPECT_EQ(record.borderStyle, -1);
}

#ifndef _WIN32
// Stands in for the front end's stop: says what is missing and ends the process.
[[noreturn]] void reportMissing(const char* libraryFile, const char* function) {
  std::fprintf(stderr, "missing %s in %s\n", function, libraryFile);
  std::_Exit(1);
}

TEST(BindingDeathTest, AMissingFunctionStopsTheProgramWithItsName) {
  ASSERT_TRUE(EnsureLibraryFileIn(freshFolder("death")));
  EXPECT_EXIT(
      {
        xlbind::setMissingFunctionHandler(reportMissing);
        xlbind::LazyFunction missing{"xlNoSuchFunctionW"};
        xlbind::resolve(missing);
      },
      ::testing::ExitedWithCode(1), "xlNoSuchFunctionW in libxl.so");
  // Without a front end's stop there is no message to show: the process aborts.
  EXPECT_DEATH(
      {
        xlbind::LazyFunction missing{"xlNoSuchFunctionW"};
        xlbind::resolve(missing);
      },
      "");
}
#endif

}  // namespace
