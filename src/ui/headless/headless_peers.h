// The in-memory windows and controls of the headless backend. Tests read their state through
// HeadlessBackend::peerOf when a control's own getters do not show it (fonts, repaints).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "ui/backend.h"
#include "ui/headless/bitmap.h"

namespace ui {
class Control;
struct ControlDef;
}  // namespace ui

namespace ui::headless {

class HeadlessBackend;

class HeadlessControlPeer final : public ControlPeer {
 public:
  explicit HeadlessControlPeer(const ControlDef& definition);

  const ControlDef& definition() const { return definition_; }

  void setText(const std::string& text) override;
  std::string text() const override;
  void setVisible(bool visible) override { visible_ = visible; }
  bool visible() const override { return visible_; }
  void setEnabled(bool enabled) override { enabled_ = enabled; }
  bool enabled() const override { return enabled_; }
  void setBounds(Rect bounds) override;
  Rect bounds() const override { return bounds_; }
  void setCursor(Cursor cursor) override { cursor_ = cursor; }
  Cursor cursor() const override { return cursor_; }

  void setChecked(bool checked) override { checked_ = checked; }
  bool checked() const override { return checked_; }

  int addItem(const std::string& text, const std::string& data) override;
  int addItemWide(const std::u16string& text, const std::string& data) override;
  std::u16string itemTextWide(int index) const override;
  void clearItems() override;
  int itemCount() const override { return int(items_.size()); }
  std::string itemText(int index) const override;
  std::string itemData(int index) const override;
  void setSelectedIndex(int index) override;
  int selectedIndex() const override { return selected_; }

  int columnCount() const override { return int(columns_.size()); }
  void addColumn(const std::string& title, int width) override;
  void deleteColumn(int column) override;
  void setColumnTitle(int column, const std::string& title) override;
  std::string columnTitle(int column) const override;
  int columnWidth(int column) const override;
  int rowCount() const override { return ownerData() ? ownedRows_ : int(rows_.size()); }
  int appendRow() override;
  void deleteRow(int row) override;
  void deleteAllRows() override;
  void setCell(int row, int column, const std::string& text) override;
  std::string cell(int row, int column) const override;
  void repaint() override { ++repaints_; }
  void setRowSource(const ListRowSource* source) override { source_ = source; }
  void setRowCount(int count) override;
  void redrawRows(int first, int last) override { redrawnRows_.push_back({first, last}); }

  void setSectionText(int section, const std::string& text) override;
  std::string sectionText(int section) const override;

  void setRange(int minimum, int maximum) override;
  void setSteps(int lineStep, int pageStep) override;
  void setPosition(int position) override;
  int position() const override { return position_; }

  void setPicture(const std::string& imageBytes) override;
  std::string picture() const override { return picture_; }

  void clear() override;
  void drawRectangle(Point from, Point to) override;
  void drawLine(Point from, Point to) override;
  void copyFrom(const ControlPeer& source, Rect area, Point to) override;
  std::string snapshotBmp() const override;
  void update() override { ++updates_; }

  // What only the headless backend can tell.
  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }
  int lineStep() const { return lineStep_; }
  int pageStep() const { return pageStep_; }
  int repaints() const { return repaints_; }
  int updates() const { return updates_; }
  // Owner-data lists: the ranges of rows the owner said had changed, in order.
  struct RowRange {
    int first = 0;
    int last = 0;
    friend bool operator==(const RowRange&, const RowRange&) = default;
  };
  const std::vector<RowRange>& redrawnRows() const { return redrawnRows_; }
  // Sliders and progress bars: every position the program set, in order.
  const std::vector<int>& positionsSet() const { return positionsSet_; }
  const Bitmap& canvas() const { return canvas_; }
  // A user's move of the slider: clamped as a native slider clamps.
  void userSetPosition(int position);
  void toggleChecked() { checked_ = !checked_; }

 private:
  struct Item {
    std::string text;
    std::string data;
    std::u16string wide;  // the text as given, when given wide
  };
  struct Column {
    std::string title;
    int width = 0;
  };

  bool isList() const;
  bool ownerData() const;
  bool validRow(int row) const { return row >= 0 && row < rowCount(); }
  void resizeCanvas();

  const ControlDef& definition_;
  std::string text_;
  bool visible_ = true;
  bool enabled_ = true;
  Rect bounds_;
  Cursor cursor_ = Cursor::Arrow;
  bool checked_ = false;
  std::vector<Item> items_;
  int selected_ = -1;
  std::vector<Column> columns_;
  std::vector<std::vector<std::string>> rows_;
  const ListRowSource* source_ = nullptr;
  int ownedRows_ = 0;
  std::vector<RowRange> redrawnRows_;
  std::vector<std::string> sections_;
  int minimum_ = 0;
  int maximum_ = 100;
  int lineStep_ = 1;
  int pageStep_ = 10;
  int position_ = 0;
  std::vector<int> positionsSet_;
  std::string picture_;
  Bitmap background_;
  Bitmap canvas_;
  int repaints_ = 0;
  int updates_ = 0;
};

class HeadlessFormPeer final : public FormPeer {
 public:
  HeadlessFormPeer(HeadlessBackend& backend, Form& form);
  ~HeadlessFormPeer() override;

  std::unique_ptr<ControlPeer> createControl(Control& control) override;
  void setCaption(const std::string& caption) override { caption_ = caption; }
  std::string caption() const override { return caption_; }
  void setBounds(Rect bounds) override { bounds_ = bounds; }
  Rect bounds() const override { return bounds_; }
  void setVisible(bool visible) override { visible_ = visible; }
  bool visible() const override { return visible_; }
  int dpi() const override { return dpi_; }
  void setTopmost(bool topmost) override { topmost_ = topmost; }
  bool topmost() const override { return topmost_; }
  void setTitleKeptActive(bool kept) override { titleKeptActive_ = kept; }
  bool titleKeptActive() const override { return titleKeptActive_; }
  void setAlpha(int alpha) override { alpha_ = alpha; }
  int alpha() const override { return alpha_; }
  bool registerHotkey(int id, unsigned modifiers, int virtualKey) override;
  void unregisterHotkey(int id) override;
  Control* focusedControl() const override { return focused_; }
  void setFocusedControl(Control* control) override { focused_ = control; }
  void setFocusOrder(const std::vector<Control*>&) override {}  // navigation reads the form's

  Form& form() const { return form_; }

 private:
  HeadlessBackend& backend_;
  int dpi_ = kDesignDpi;
  Form& form_;
  std::string caption_;
  Rect bounds_;
  bool visible_ = false;
  bool topmost_ = false;
  bool titleKeptActive_ = false;
  int alpha_ = -1;
  Control* focused_ = nullptr;
};

}  // namespace ui::headless
