#include "ui/control.h"

#include <algorithm>
#include <string>

#include "ui/backend.h"
#include "ui/form.h"
#include "ui/null_peer.h"
#include "ui/system.h"
#include "ui/toolkit.h"
#include "ui/toolkit_internal.h"

namespace ui {

NullControlPeer& NullControlPeer::instance() {
  static NullControlPeer peer;
  return peer;
}

namespace {

const ControlDef& findRow(const Form& form, std::string_view name) {
  for (const ControlDef& row : form.definition().controls) {
    if (row.name == name) return row;
  }
  detail::fatal(std::string(form.definition().name) + " has no control named " + std::string(name));
}

template <class Handler, class... Args>
void call(const Handler& handler, Args&&... args) {
  // A copy, so a handler that replaces itself does not destroy the running function.
  if (auto copy = handler) copy(std::forward<Args>(args)...);
}

}  // namespace

Control::Control(Form& form, std::string_view name)
    : form_(form), definition_(&findRow(form, name)) {
  form.addControl(*this);
}

Control::~Control() = default;

ControlPeer& Control::p() const {
  assertUiThread("control");
  return peer_ ? *peer_ : NullControlPeer::instance();
}

void Control::attach(std::unique_ptr<ControlPeer> peer) {
  peer_ = std::move(peer);
  if (peer_) applyStartState();
}

void Control::detach() { peer_.reset(); }

void Control::applyStartState() {
  p().setVisible(definition_->visible);
  p().setEnabled(definition_->enabled);
}

void Control::deliver(const ControlEvent& event) {
  assertUiThread("Control::deliver");
  form_.dispatch([this, event] { handle(event); });
}

bool Control::visible() const { return p().visible(); }
void Control::setVisible(bool visible) {
  if (!visible) form_.parkFocus(*this);
  p().setVisible(visible);
  if (visible) form_.returnParkedFocus(*this);
}
bool Control::enabled() const { return p().enabled(); }
void Control::setEnabled(bool enabled) {
  if (!enabled) form_.parkFocus(*this);
  p().setEnabled(enabled);
  if (enabled) form_.returnParkedFocus(*this);
}
bool Control::hasFocus() const { return peer() && form_.focusedControl() == this; }
void Control::focus() {
  assertUiThread("Control::focus");
  if (peer() && reachable()) form_.giveFocus(this);
}
Rect Control::bounds() const { return p().bounds(); }
void Control::setBounds(Rect bounds) { p().setBounds(bounds); }
void Control::move(int left, int top) {
  Rect r = bounds();
  setBounds({left, top, r.width, r.height});
}
Cursor Control::cursor() const { return p().cursor(); }
void Control::setCursor(Cursor cursor) { p().setCursor(cursor); }

// Labels and buttons.

std::string Label::caption() const { return p().text(); }
void Label::setCaption(const std::string& caption) { p().setText(caption); }
void Label::applyStartState() {
  Control::applyStartState();
  p().setText(detail::programText(definition().text));
}
void Label::handle(const ControlEvent& event) {
  if (event.type == EventType::MouseMove) call(onMouseMove, event.mouse);
}

std::string Button::caption() const { return p().text(); }
void Button::setCaption(const std::string& caption) { p().setText(caption); }
void Button::applyStartState() {
  Control::applyStartState();
  p().setText(detail::programText(definition().text));
}
void Button::handle(const ControlEvent& event) {
  if (event.type == EventType::Click) call(onClick);
}

bool CheckBox::checked() const { return p().checked(); }
void CheckBox::setChecked(bool checked) { p().setChecked(checked); }
void CheckBox::applyStartState() {
  Button::applyStartState();
  p().setChecked(definition().checked);
}

void RadioButton::setChecked(bool checked) {
  if (checked) {
    for (Control* other : form().controls()) {
      if (other != this && other->kind() == ControlKind::RadioButton &&
          other->definition().group == definition().group) {
        static_cast<RadioButton*>(other)->CheckBox::setChecked(false);
      }
    }
  }
  CheckBox::setChecked(checked);
}

void RadioButton::handle(const ControlEvent& event) {
  if (event.type == EventType::Click) setChecked(true);
  Button::handle(event);
}

// Choosers and lists.

int ComboBox::addItem(const std::string& text, const std::string& data) {
  return p().addItem(text, data);
}
int ComboBox::addItem(const std::u16string& text, const std::string& data) {
  return p().addItemWide(text, data);
}
std::u16string ComboBox::itemTextUtf16(int index) const { return p().itemTextWide(index); }
std::u16string ComboBox::textUtf16() const { return itemTextUtf16(selectedIndex()); }
void ComboBox::clear() { p().clearItems(); }
int ComboBox::count() const { return p().itemCount(); }
std::string ComboBox::itemText(int index) const { return p().itemText(index); }
std::string ComboBox::itemData(int index) const { return p().itemData(index); }
int ComboBox::selectedIndex() const { return p().selectedIndex(); }
void ComboBox::setSelectedIndex(int index) {
  p().setSelectedIndex(index >= 0 && index < count() ? index : -1);
}
std::string ComboBox::text() const { return p().text(); }
void ComboBox::handle(const ControlEvent& event) {
  if (event.type == EventType::SelectionChanged) call(onSelectionChanged);
}

std::string EditBox::content() const { return p().text(); }
std::u16string EditBox::contentUtf16() const { return p().wideText(); }
void EditBox::setContent(const std::string& content) { p().setText(content); }
void EditBox::applyStartState() {
  Control::applyStartState();
  p().setText(detail::programText(definition().text));
}

int ListView::columnCount() const { return p().columnCount(); }
void ListView::addColumn(const std::string& title, int width) { p().addColumn(title, width); }
void ListView::deleteColumn(int column) { p().deleteColumn(column); }
void ListView::deleteAllColumns() {
  for (int c = columnCount() - 1; c >= 0; --c) deleteColumn(c);
}
std::string ListView::columnTitle(int column) const { return p().columnTitle(column); }
void ListView::setColumnTitle(int column, const std::string& title) {
  p().setColumnTitle(column, title);
}
int ListView::columnWidth(int column) const { return p().columnWidth(column); }
int ListView::rowCount() const { return p().rowCount(); }
int ListView::appendRow() { return ownerData() ? -1 : p().appendRow(); }
void ListView::deleteRow(int row) {
  if (!ownerData()) p().deleteRow(row);
}
void ListView::deleteAllRows() {
  if (!ownerData()) p().deleteAllRows();
}
std::string ListView::cell(int row, int column) const { return p().cell(row, column); }
void ListView::setCell(int row, int column, const std::string& text) {
  if (!ownerData()) p().setCell(row, column, text);
}
void ListView::setRowSource(const ListRowSource* source) {
  if (!ownerData()) return;
  rowSource_ = source;
  p().setRowSource(source);
}
void ListView::setRowCount(int count) {
  if (!ownerData()) return;
  ownedRowCount_ = std::max(0, count);
  int selected = selectedRow();
  p().setRowCount(ownedRowCount_);
  if (selected >= ownedRowCount_) p().setSelectedIndex(-1);
}
void ListView::rowsChanged(int first, int last) {
  if (!ownerData()) return;
  first = std::max(0, first);
  last = std::min(last, rowCount() - 1);
  if (first <= last) p().redrawRows(first, last);
}
int ListView::selectedRow() const { return p().selectedIndex(); }
void ListView::selectRow(int row) { p().setSelectedIndex(row >= 0 && row < rowCount() ? row : -1); }
void ListView::repaint() { p().repaint(); }
void ListView::applyStartState() {
  Control::applyStartState();
  for (const ColumnDef& column : definition().columns) {
    p().addColumn(detail::programText(column.title), column.width);
  }
  if (ownerData()) {
    p().setRowSource(rowSource_);
    p().setRowCount(ownedRowCount_);
  }
}
void ListView::handle(const ControlEvent& event) {
  if (event.type == EventType::SelectionChanged) call(onSelectionChanged);
}

std::string StatusBar::sectionText(int section) const { return p().sectionText(section); }
void StatusBar::setSectionText(int section, const std::string& text) {
  p().setSectionText(section, text);
}
void StatusBar::applyStartState() {
  Control::applyStartState();
  for (std::size_t i = 0; i < definition().sections.size(); ++i) {
    p().setSectionText(int(i), detail::programText(definition().sections[i].text));
  }
}
void StatusBar::handle(const ControlEvent& event) {
  if (event.type == EventType::DoubleClick) call(onDoubleClick);
}

// Pictures and drawing.

std::string PictureBox::picture() const { return p().picture(); }
void PictureBox::setPicture(const std::string& imageBytes) { p().setPicture(imageBytes); }
void PictureBox::applyStartState() {
  Control::applyStartState();
  if (!definition().picture.empty()) p().setPicture(std::string(definition().picture));
}

std::string DrawingPanel::picture() const { return p().picture(); }
void DrawingPanel::setPicture(const std::string& imageBytes) { p().setPicture(imageBytes); }
void DrawingPanel::clear() { p().clear(); }
void DrawingPanel::drawRectangle(Point from, Point to) { p().drawRectangle(from, to); }
void DrawingPanel::drawLine(Point from, Point to) { p().drawLine(from, to); }
void DrawingPanel::copyFrom(const DrawingPanel& source, Rect area, Point to) {
  if (source.peer()) p().copyFrom(*source.peer(), area, to);
}
std::string DrawingPanel::snapshotBmp() const { return p().snapshotBmp(); }
void DrawingPanel::update() { p().update(); }
void DrawingPanel::handle(const ControlEvent& event) {
  switch (event.type) {
    case EventType::MouseDown:
      call(onMouseDown, event.mouse);
      break;
    case EventType::MouseMove:
      call(onMouseMove, event.mouse);
      break;
    case EventType::MouseUp:
      call(onMouseUp, event.mouse);
      break;
    default:
      break;
  }
}

int ProgressBar::position() const { return p().position(); }
void ProgressBar::setPosition(int position) { p().setPosition(position); }

std::filesystem::path FileDialog::chooseOpenFile(const OpenFileRequest& request) const {
  assertUiThread("FileDialog::chooseOpenFile");
  OpenFileRequest withFilter = request;
  if (withFilter.filter.empty()) withFilter.filter = detail::programText(definition().text);
  return ui::chooseOpenFile(withFilter);
}

std::filesystem::path FileDialog::chooseOpenFile() const { return chooseOpenFile({}); }

// Sliders.

void Slider::applyStartState() {
  Control::applyStartState();
  const SliderDef& s = definition().slider;
  minimum_ = s.minimum;
  maximum_ = std::max(s.minimum, s.maximum);
  p().setRange(minimum_, maximum_);
  p().setSteps(s.lineStep, s.pageStep);
  lastReported_ = std::clamp(s.position, minimum_, maximum_);
  p().setPosition(lastReported_);
}

void Slider::setRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = std::max(minimum, maximum);
  p().setRange(minimum_, maximum_);
  setPosition(position());
}

void Slider::setSteps(int lineStep, int pageStep) { p().setSteps(lineStep, pageStep); }

int Slider::position() const { return p().position(); }

void Slider::setPosition(int position) {
  p().setPosition(std::clamp(position, minimum_, maximum_));
  // The program's change is reported like the user's.
  if (peer()) deliver({EventType::PositionChanged, {}});
}

void Slider::reportIfChanged() {
  int now = position();
  if (now == lastReported_) return;
  lastReported_ = now;
  call(onPositionChanged);
}

void Slider::handle(const ControlEvent& event) {
  if (event.type == EventType::PositionChanged) reportIfChanged();
}

}  // namespace ui
