// The stand-in peer of a control whose form has no window (not yet loaded, or destroyed):
// it ignores every setter and answers every getter with an empty value.
#pragma once
#include "ui/backend.h"

namespace ui {

class NullControlPeer final : public ControlPeer {
 public:
  static NullControlPeer& instance();

  void setText(const std::string&) override {}
  std::string text() const override { return {}; }
  void setVisible(bool) override {}
  bool visible() const override { return false; }
  void setEnabled(bool) override {}
  bool enabled() const override { return false; }
  void setBounds(Rect) override {}
  Rect bounds() const override { return {}; }
  void setCursor(Cursor) override {}
  Cursor cursor() const override { return Cursor::Arrow; }
  void setChecked(bool) override {}
  bool checked() const override { return false; }
  int addItem(const std::string&, const std::string&) override { return -1; }
  void clearItems() override {}
  int itemCount() const override { return 0; }
  std::string itemText(int) const override { return {}; }
  std::string itemData(int) const override { return {}; }
  void setSelectedIndex(int) override {}
  int selectedIndex() const override { return -1; }
  int columnCount() const override { return 0; }
  void addColumn(const std::string&, int) override {}
  void deleteColumn(int) override {}
  void setColumnTitle(int, const std::string&) override {}
  std::string columnTitle(int) const override { return {}; }
  int columnWidth(int) const override { return 0; }
  int rowCount() const override { return 0; }
  int appendRow() override { return -1; }
  void deleteRow(int) override {}
  void deleteAllRows() override {}
  void setCell(int, int, const std::string&) override {}
  std::string cell(int, int) const override { return {}; }
  void repaint() override {}
  void setRowSource(const ListRowSource*) override {}
  void setRowCount(int) override {}
  void redrawRows(int, int) override {}
  void setSectionText(int, const std::string&) override {}
  std::string sectionText(int) const override { return {}; }
  void setRange(int, int) override {}
  void setSteps(int, int) override {}
  void setPosition(int) override {}
  int position() const override { return 0; }
  void setPicture(const std::string&) override {}
  std::string picture() const override { return {}; }
  void clear() override {}
  void drawRectangle(Point, Point) override {}
  void drawLine(Point, Point) override {}
  void copyFrom(const ControlPeer&, Rect, Point) override {}
  std::string snapshotBmp() const override { return {}; }
  void update() override {}
};

}  // namespace ui
