/* The C interface of the spreadsheet library (libxl.dll / libxl.so).
 *
 * Every function is cdecl and exported by name; the program binds them by name at run time.
 * Texts are zero-terminated UTF-16. Handles are opaque and 0 means none. Sheets, formats and
 * fonts belong to their book and live as long as it does. A returned text stays valid until
 * the next call on the same book. No function throws; failures give 0 or an empty text, and
 * the book's error message says why a load failed.
 *
 * Cell types: 0 empty, 1 number, 2 string, 3 Boolean, 4 blank, 5 error. Rows and columns are
 * 0-based; the last row and column functions give one past the last. Colours are packed by
 * xlBookColorPackW. Number-format ids below 60 are built-in; others are custom codes given by
 * xlBookCustomNumFormatW.
 *
 * xlSheetNextCellW moves (row, col) to the first stored cell at or after it in row order and
 * gives 1, or gives 0 when there is none: a way to visit sparse sheets without scanning.
 *
 * A load that fails only because the file is of the other kind (an .xlsx given to a book of
 * xlCreateBookCW, or the reverse) gives an error message that starts with XL_NOT_XLS_REASON
 * or XL_NOT_XLSX_REASON; any other message is the real reason the file cannot be read.
 *
 * Writing: a book of xlCreateXMLBookCW takes sheets (xlBookAddSheetW) and text cells
 * (xlSheetWriteStrW, at most 32,767 characters a cell, any position in any order; a cell
 * written twice keeps the last text), and xlBookSaveRawW hands out the .xlsx package: the
 * bytes stay valid until the next call on the same book. Only text cells are written. The
 * library writes no files: the caller puts the bytes on disk the way it keeps its own files. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#define XL_NOT_XLS_REASON "not an .xls workbook"
#define XL_NOT_XLSX_REASON "not an .xlsx workbook"

typedef struct XlBookObject* BookHandle;
typedef struct XlSheetObject* SheetHandle;
typedef struct XlFormatObject* FormatHandle;
typedef struct XlFontObject* FontHandle;
typedef char16_t XlChar;

#if defined(_WIN32)
#define XLAPI __cdecl
#else
#define XLAPI
#endif

/* clang-format off */
/* One line per exported function: X(return type, name, parameter list). The library
 * declares them from this list and the program's binding makes its function types from it. */
#define XL_API_FUNCTIONS(X)                                                                     \
  X(BookHandle, xlCreateBookCW, (void))                                                         \
  X(BookHandle, xlCreateXMLBookCW, (void))                                                      \
  X(int, xlBookLoadW, (BookHandle book, const XlChar* path))                                    \
  X(int, xlBookLoadRawW, (BookHandle book, const char* data, unsigned size))                    \
  X(void, xlBookReleaseW, (BookHandle book))                                                    \
  X(int, xlBookSheetCountW, (BookHandle book))                                                  \
  X(SheetHandle, xlBookGetSheetW, (BookHandle book, int index))                                 \
  X(const XlChar*, xlBookGetSheetNameW, (BookHandle book, int index))                           \
  X(int, xlBookSheetTypeW, (BookHandle book, int index))                                        \
  X(int, xlBookActiveSheetW, (BookHandle book))                                                 \
  X(void, xlBookSetActiveSheetW, (BookHandle book, int index))                                  \
  X(const XlChar*, xlBookErrorMessageW, (BookHandle book))                                      \
  X(int, xlBookRgbModeW, (BookHandle book))                                                     \
  X(void, xlBookSetRgbModeW, (BookHandle book, int rgbMode))                                    \
  X(int, xlBookIsDate1904W, (BookHandle book))                                                  \
  X(double, xlBookDatePackW,                                                                    \
    (BookHandle book, int year, int month, int day, int hour, int min, int sec, int msec))      \
  X(int, xlBookDateUnpackW,                                                                     \
    (BookHandle book, double value, int* year, int* month, int* day, int* hour, int* min,       \
     int* sec, int* msec))                                                                      \
  X(int, xlBookColorPackW, (BookHandle book, int red, int green, int blue))                     \
  X(void, xlBookColorUnpackW, (BookHandle book, int color, int* red, int* green, int* blue))    \
  X(const XlChar*, xlBookCustomNumFormatW, (BookHandle book, int fmt))                          \
  X(int, xlBookFormatSizeW, (BookHandle book))                                                  \
  X(FormatHandle, xlBookFormatW, (BookHandle book, int index))                                  \
  X(int, xlBookFontSizeW, (BookHandle book))                                                    \
  X(FontHandle, xlBookFontW, (BookHandle book, int index))                                      \
  X(int, xlSheetCellTypeW, (SheetHandle sheet, int row, int col))                               \
  X(int, xlSheetIsFormulaW, (SheetHandle sheet, int row, int col))                              \
  X(int, xlSheetIsDateW, (SheetHandle sheet, int row, int col))                                 \
  X(FormatHandle, xlSheetCellFormatW, (SheetHandle sheet, int row, int col))                    \
  X(const XlChar*, xlSheetReadStrW, (SheetHandle sheet, int row, int col, FormatHandle* format)) \
  X(double, xlSheetReadNumW, (SheetHandle sheet, int row, int col, FormatHandle* format))       \
  X(int, xlSheetReadBoolW, (SheetHandle sheet, int row, int col, FormatHandle* format))         \
  X(int, xlSheetReadBlankW, (SheetHandle sheet, int row, int col, FormatHandle* format))        \
  X(int, xlSheetReadErrorW, (SheetHandle sheet, int row, int col))                              \
  X(int, xlSheetFirstRowW, (SheetHandle sheet))                                                 \
  X(int, xlSheetLastRowW, (SheetHandle sheet))                                                  \
  X(int, xlSheetFirstColW, (SheetHandle sheet))                                                 \
  X(int, xlSheetLastColW, (SheetHandle sheet))                                                  \
  X(int, xlSheetFirstFilledRowW, (SheetHandle sheet))                                           \
  X(int, xlSheetLastFilledRowW, (SheetHandle sheet))                                            \
  X(int, xlSheetFirstFilledColW, (SheetHandle sheet))                                           \
  X(int, xlSheetLastFilledColW, (SheetHandle sheet))                                            \
  X(int, xlSheetNextCellW, (SheetHandle sheet, int* row, int* col))                             \
  X(const XlChar*, xlSheetNameW, (SheetHandle sheet))                                           \
  X(int, xlSheetMergeSizeW, (SheetHandle sheet))                                                \
  X(int, xlSheetMergeW,                                                                         \
    (SheetHandle sheet, int index, int* rowFirst, int* rowLast, int* colFirst, int* colLast))   \
  X(int, xlSheetGetMergeW,                                                                      \
    (SheetHandle sheet, int row, int col, int* rowFirst, int* rowLast, int* colFirst,           \
     int* colLast))                                                                             \
  X(int, xlSheetAddrToRowColW,                                                                  \
    (SheetHandle sheet, const XlChar* addr, int* row, int* col, int* rowRelative,               \
     int* colRelative))                                                                         \
  X(const XlChar*, xlSheetRowColToAddrW,                                                        \
    (SheetHandle sheet, int row, int col, int rowRelative, int colRelative))                    \
  X(int, xlFormatNumFormatW, (FormatHandle format))                                             \
  X(FontHandle, xlFormatFontW, (FormatHandle format))                                           \
  X(const XlChar*, xlFontNameW, (FontHandle font))                                              \
  X(int, xlFontSizeW, (FontHandle font))                                                        \
  X(int, xlFontItalicW, (FontHandle font))                                                      \
  X(int, xlFontBoldW, (FontHandle font))                                                        \
  X(int, xlFontColorW, (FontHandle font))                                                       \
  X(int, xlFontScriptW, (FontHandle font))                                                      \
  X(int, xlFontUnderlineW, (FontHandle font))                                                   \
  X(int, xlFontStrikeOutW, (FontHandle font))                                                   \
  X(SheetHandle, xlBookAddSheetW, (BookHandle book, const XlChar* name))                         \
  X(int, xlSheetWriteStrW, (SheetHandle sheet, int row, int col, const XlChar* value))          \
  X(int, xlBookSaveRawW, (BookHandle book, const char** data, unsigned* size))

/* clang-format on */
#define XL_DECLARE_FUNCTION(ret, name, params) ret XLAPI name params;
XL_API_FUNCTIONS(XL_DECLARE_FUNCTION)
#undef XL_DECLARE_FUNCTION

#ifdef __cplusplus
}
#endif
