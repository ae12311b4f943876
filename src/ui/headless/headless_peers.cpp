#include "ui/headless/headless_peers.h"

#include <algorithm>

#include "ui/control.h"
#include "ui/form.h"
#include "ui/form_definition.h"
#include "ui/headless/headless_backend.h"

namespace ui::headless {
namespace {

constexpr std::uint32_t kPaper = 0xFFFFFF;
constexpr std::uint32_t kPen = 0xFF0000;

}  // namespace

HeadlessControlPeer::HeadlessControlPeer(const ControlDef& definition)
    : definition_(definition), bounds_(definition.place) {
  if (definition.kind == ControlKind::StatusBar) {
    sections_.resize(std::max<std::size_t>(1, definition.sections.size()));
  }
  if (definition.kind == ControlKind::DrawingPanel) resizeCanvas();
}

bool HeadlessControlPeer::isList() const { return definition_.kind == ControlKind::ListView; }

bool HeadlessControlPeer::ownerData() const { return isList() && definition_.ownerData; }

void HeadlessControlPeer::setText(const std::string& text) {
  if (definition_.kind != ControlKind::ComboBox) text_ = text;
}

std::string HeadlessControlPeer::text() const {
  if (definition_.kind == ControlKind::ComboBox)
    return selected_ >= 0 ? items_[selected_].text : "";
  return text_;
}

void HeadlessControlPeer::setBounds(Rect bounds) {
  bounds_ = bounds;
  if (definition_.kind == ControlKind::DrawingPanel) resizeCanvas();
}

// Combo boxes.

int HeadlessControlPeer::addItem(const std::string& text, const std::string& data) {
  items_.push_back({text, data, cp936::toUtf16(text)});
  return int(items_.size()) - 1;
}

int HeadlessControlPeer::addItemWide(const std::u16string& text, const std::string& data) {
  items_.push_back({cp936::fromUtf16(text), data, text});
  return int(items_.size()) - 1;
}

std::u16string HeadlessControlPeer::itemTextWide(int index) const {
  return index >= 0 && index < itemCount() ? items_[index].wide : u"";
}

void HeadlessControlPeer::clearItems() {
  items_.clear();
  selected_ = -1;
}

std::string HeadlessControlPeer::itemText(int index) const {
  return index >= 0 && index < itemCount() ? items_[index].text : "";
}

std::string HeadlessControlPeer::itemData(int index) const {
  return index >= 0 && index < itemCount() ? items_[index].data : "";
}

void HeadlessControlPeer::setSelectedIndex(int index) {
  int count = isList() ? rowCount() : itemCount();
  selected_ = index >= 0 && index < count ? index : -1;
}

// List views.

void HeadlessControlPeer::addColumn(const std::string& title, int width) {
  columns_.push_back({title, width});
}

void HeadlessControlPeer::deleteColumn(int column) {
  if (column < 0 || column >= columnCount()) return;
  columns_.erase(columns_.begin() + column);
  for (auto& row : rows_) {
    if (column < int(row.size())) row.erase(row.begin() + column);
  }
}

void HeadlessControlPeer::setColumnTitle(int column, const std::string& title) {
  if (column >= 0 && column < columnCount()) columns_[column].title = title;
}

std::string HeadlessControlPeer::columnTitle(int column) const {
  return column >= 0 && column < columnCount() ? columns_[column].title : "";
}

int HeadlessControlPeer::columnWidth(int column) const {
  return column >= 0 && column < columnCount() ? columns_[column].width : 0;
}

int HeadlessControlPeer::appendRow() {
  rows_.emplace_back();
  return int(rows_.size()) - 1;
}

void HeadlessControlPeer::deleteRow(int row) {
  if (!validRow(row)) return;
  rows_.erase(rows_.begin() + row);
  if (selected_ == row) {
    selected_ = -1;
  } else if (selected_ > row) {
    --selected_;
  }
}

void HeadlessControlPeer::deleteAllRows() {
  rows_.clear();
  selected_ = -1;
}

void HeadlessControlPeer::setCell(int row, int column, const std::string& text) {
  // A cell of a column that does not exist has no effect, as in a real list.
  if (!validRow(row) || column < 0 || column >= columnCount()) return;
  auto& cells = rows_[row];
  if (int(cells.size()) <= column) cells.resize(column + 1);
  cells[column] = text;
}

std::string HeadlessControlPeer::cell(int row, int column) const {
  if (!validRow(row) || column < 0 || column >= columnCount()) return "";
  if (ownerData()) return source_ ? source_->cellText(row, column) : "";
  const auto& cells = rows_[row];
  return column < int(cells.size()) ? cells[column] : "";
}

void HeadlessControlPeer::setRowCount(int count) {
  if (!ownerData()) return;
  ownedRows_ = std::max(0, count);
  if (selected_ >= ownedRows_) selected_ = -1;
}

// Status bars.

void HeadlessControlPeer::setSectionText(int section, const std::string& text) {
  if (section >= 0 && section < int(sections_.size())) sections_[section] = text;
}

std::string HeadlessControlPeer::sectionText(int section) const {
  return section >= 0 && section < int(sections_.size()) ? sections_[section] : "";
}

// Sliders.

void HeadlessControlPeer::setRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = std::max(minimum, maximum);
  position_ = std::clamp(position_, minimum_, maximum_);
}

void HeadlessControlPeer::setSteps(int lineStep, int pageStep) {
  lineStep_ = lineStep;
  pageStep_ = pageStep;
}

void HeadlessControlPeer::setPosition(int position) {
  position_ = position;
  positionsSet_.push_back(position);
}

void HeadlessControlPeer::userSetPosition(int position) {
  position_ = std::clamp(position, minimum_, maximum_);
}

// Pictures and drawing.

void HeadlessControlPeer::setPicture(const std::string& imageBytes) {
  picture_ = imageBytes;
  if (definition_.kind != ControlKind::DrawingPanel) return;
  background_ = Bitmap::fromBmp(imageBytes).value_or(Bitmap());
  clear();
}

void HeadlessControlPeer::resizeCanvas() { clear(); }

void HeadlessControlPeer::clear() {
  canvas_ = Bitmap(bounds_.width, bounds_.height, kPaper);
  canvas_.blit(background_, {0, 0, background_.width(), background_.height()}, {0, 0});
}

void HeadlessControlPeer::drawRectangle(Point from, Point to) {
  canvas_.drawRectangle(from, to, kPen);
}

void HeadlessControlPeer::drawLine(Point from, Point to) { canvas_.drawLine(from, to, kPen); }

void HeadlessControlPeer::copyFrom(const ControlPeer& source, Rect area, Point to) {
  if (auto* panel = dynamic_cast<const HeadlessControlPeer*>(&source)) {
    canvas_.blit(panel->canvas_, area, to);
  }
}

std::string HeadlessControlPeer::snapshotBmp() const { return canvas_.toBmp(); }

// Forms.

HeadlessFormPeer::HeadlessFormPeer(HeadlessBackend& backend, Form& form)
    : backend_(backend), dpi_(backend.formDpi()), form_(form), bounds_(form.definition().place) {}

HeadlessFormPeer::~HeadlessFormPeer() {
  // The system drops a window's hotkeys with the window.
  backend_.forgetHotkeys(form_.handle());
}

std::unique_ptr<ControlPeer> HeadlessFormPeer::createControl(Control& control) {
  return std::make_unique<HeadlessControlPeer>(control.definition());
}

bool HeadlessFormPeer::registerHotkey(int id, unsigned modifiers, int virtualKey) {
  std::lock_guard lock(backend_.mutex_);
  if (backend_.hotkeyRefused(modifiers, virtualKey)) return false;
  for (const RegisteredHotkey& h : backend_.hotkeys_) {
    bool sameKey = h.modifiers == modifiers && h.virtualKey == virtualKey;
    bool sameId = h.form == form_.handle() && h.id == id;
    if (sameKey || sameId) return false;
  }
  backend_.hotkeys_.push_back({form_.handle(), id, modifiers, virtualKey});
  return true;
}

void HeadlessFormPeer::unregisterHotkey(int id) {
  std::lock_guard lock(backend_.mutex_);
  std::erase_if(backend_.hotkeys_,
                [&](const RegisteredHotkey& h) { return h.form == form_.handle() && h.id == id; });
}

}  // namespace ui::headless
