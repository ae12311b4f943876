// XlBook: a workbook held by the spreadsheet library. Texts are GBK.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "import/xl_sheet.h"
#include "spreadsheet/xl_api.h"

class XlBook {
 public:
  static constexpr int kXls = 0;
  static constexpr int kXlsx = 1;

  XlBook() = default;
  ~XlBook() { release(); }
  // A book owns its library handle: it moves but is never copied.
  XlBook(XlBook&& other) noexcept;
  XlBook& operator=(XlBook&& other) noexcept;
  XlBook(const XlBook&) = delete;
  XlBook& operator=(const XlBook&) = delete;

  // 0-based index of a sheet given by number, name or XlSheet; -1 when there is none.
  int sheetIndexOf(int index) const;
  int sheetIndexOf(std::string_view name) const;
  int sheetIndexOf(const XlSheet& sheet) const;

  // Releases the current book and makes an empty one of the kind (kXls or kXlsx).
  bool create(int kind = kXls);
  // Loads a workbook file, or a workbook's bytes: first as an .xls book, then as an .xlsx
  // book, whatever the file's extension. On failure the book is released.
  bool load(const std::filesystem::path& path);
  bool loadRaw(std::string_view bytes);

  XlSheet getSheet(int index) const;
  XlSheet getSheet(std::string_view name) const;
  std::string sheetName(int index) const;
  int sheetCount() const;
  XlSheet activeSheet() const;
  std::string errorMessage() const;
  void release();

  // Writing (a book made by create(kXlsx)): a sheet added at the end, an invalid sheet on
  // failure; and the book as .xlsx bytes, false with errorMessage() saying why.
  XlSheet addSheet(std::string_view name);
  bool saveRaw(std::string& bytes) const;

  BookHandle handle() const { return book_; }
  int kind() const { return kind_; }
  // Why the last load failed, as the library says it (the file is a folder, encrypted, an
  // Excel 95 workbook...); after a load that succeeded as .xlsx, why the .xls attempt failed.
  const std::string& loadFailure() const { return loadFailure_; }

 private:
  template <typename Attempt>
  bool loadBoth(Attempt&& attempt);

  BookHandle book_ = nullptr;
  int kind_ = kXls;
  std::string loadFailure_;
};
