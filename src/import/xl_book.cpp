#include "import/xl_book.h"

#include <utility>

#include "import/xl_binding.h"
#include "platform/cp936.h"

namespace {

std::string fromLibrary(const XlChar* text) {
  return text ? cp936::fromUtf16(std::u16string_view(text)) : std::string();
}

}  // namespace

XlBook::XlBook(XlBook&& other) noexcept
    : book_(std::exchange(other.book_, nullptr)), kind_(other.kind_) {}

XlBook& XlBook::operator=(XlBook&& other) noexcept {
  if (this != &other) {
    release();
    book_ = std::exchange(other.book_, nullptr);
    kind_ = other.kind_;
  }
  return *this;
}

int XlBook::sheetIndexOf(int index) const {
  if (!book_) return -1;
  return index >= 0 && index < sheetCount() ? index : -1;
}

int XlBook::sheetIndexOf(std::string_view name) const {
  if (!book_) return -1;
  int active = XLCALL(xlBookActiveSheetW)(book_);
  if (sheetName(active) == name) return active;
  const int count = sheetCount();
  for (int i = 0; i < count; ++i)
    if (sheetName(i) == name) return i;
  return -1;
}

int XlBook::sheetIndexOf(const XlSheet& sheet) const {
  if (!book_ || !sheet.handle()) return -1;
  return sheetIndexOf(fromLibrary(XLCALL(xlSheetNameW)(sheet.handle())));
}

bool XlBook::create(int kind) {
  if (kind != kXls && kind != kXlsx) return false;
  release();
  book_ = kind == kXls ? XLCALL(xlCreateBookCW)() : XLCALL(xlCreateXMLBookCW)();
  kind_ = kind;
  if (!book_) return false;
  XLCALL(xlBookSetRgbModeW)(book_, 1);
  return true;
}

namespace {

// The reason a workbook could not be loaded, from the reasons of the two attempts: one reason
// when both say the same (the file is missing, a folder, too big), and the attempt that knew
// the file's kind when the other only found it was not of its own.
std::string loadFailureOf(const std::string& asXls, const std::string& asXlsx) {
  if (asXls == asXlsx) return asXls;
  const bool notXls = asXls.starts_with(XL_NOT_XLS_REASON);
  const bool notXlsx = asXlsx.starts_with(XL_NOT_XLSX_REASON);
  if (notXls && !notXlsx) return asXlsx;
  if (notXlsx && !notXls) return asXls;
  return asXls + "; " + asXlsx;
}

}  // namespace

template <typename Attempt>
bool XlBook::loadBoth(Attempt&& attempt) {
  loadFailure_.clear();
  std::string reasons[2];
  for (int kind : {kXls, kXlsx}) {
    if (create(kind) && attempt()) {
      if (kind == kXlsx) loadFailure_ = reasons[0];
      return true;
    }
    reasons[kind] = book_ ? errorMessage() : "the spreadsheet library cannot make a book";
  }
  loadFailure_ = loadFailureOf(reasons[0], reasons[1]);
  release();
  return false;
}

bool XlBook::load(const std::filesystem::path& path) {
  const std::u16string widePath = path.u16string();
  return loadBoth([&] { return XLCALL(xlBookLoadW)(book_, widePath.c_str()) != 0; });
}

bool XlBook::loadRaw(std::string_view bytes) {
  if (bytes.size() > 0xFFFFFFFFu) return false;
  return loadBoth([&] {
    return XLCALL(xlBookLoadRawW)(book_, bytes.data(), static_cast<unsigned>(bytes.size())) != 0;
  });
}

XlSheet XlBook::getSheet(int index) const {
  int resolved = sheetIndexOf(index);
  if (resolved < 0) return XlSheet();
  return XlSheet(XLCALL(xlBookGetSheetW)(book_, resolved), book_);
}

XlSheet XlBook::getSheet(std::string_view name) const { return getSheet(sheetIndexOf(name)); }

std::string XlBook::sheetName(int index) const {
  if (!book_) return {};
  return fromLibrary(XLCALL(xlBookGetSheetNameW)(book_, index));
}

int XlBook::sheetCount() const { return book_ ? XLCALL(xlBookSheetCountW)(book_) : 0; }

XlSheet XlBook::activeSheet() const {
  if (!book_) return XlSheet();
  return XlSheet(XLCALL(xlBookGetSheetW)(book_, XLCALL(xlBookActiveSheetW)(book_)), book_);
}

std::string XlBook::errorMessage() const {
  if (!book_) return {};
  return fromLibrary(XLCALL(xlBookErrorMessageW)(book_));
}

void XlBook::release() {
  if (book_) XLCALL(xlBookReleaseW)(book_);
  book_ = nullptr;
}

XlSheet XlBook::addSheet(std::string_view name) {
  if (!book_) return {};
  return XlSheet(XLCALL(xlBookAddSheetW)(book_, cp936::toUtf16(name).c_str()), book_);
}

bool XlBook::saveRaw(std::string& bytes) const {
  const char* data = nullptr;
  unsigned size = 0;
  if (!book_ || !XLCALL(xlBookSaveRawW)(book_, &data, &size)) return false;
  bytes.assign(data, size);
  return true;
}
