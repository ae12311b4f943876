// Controls as members of a form class. Each binds by name to a row of its form's definition table
// and talks to the backend's peer once the form is loaded. Before the form is loaded and after
// it is destroyed, setters do nothing and getters return empty values.
//
// Rules both backends follow (the toolkit enforces them here where it can):
// - Controls are used on the UI thread only; every call asserts it.
// - Events come only from the user (or the headless backend acting as one), with these
//   exceptions: a slider reports every real change of its position, also one the program makes.
//   A selection, check or text set by the program reports nothing.
// - A slider clamps every position to its range and reports only when the clamped position
//   differs from the last one reported.
// - Clicking a radio button selects it and unselects the other radio buttons of its group;
//   clicking a check box toggles it; both before the click event runs.
// - A form that is leaving (Form::beginLeaving) or no longer alive ignores every event.
// - Keyboard, as in a dialog: Tab and Shift+Tab follow the form's focus order, Enter presses
//   the focused button, Space presses the focused button, check box or radio button, the arrow
//   keys move within a radio group and select the button they reach. The form's onKeyDown hears
//   every other key, Enter included while no button has the focus.
// - A control that is disabled or hidden while it has the focus hands it to the form; it gets
//   it back when it is enabled or shown again, unless another control has taken it meanwhile.
#pragma once
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ui/form_definition.h"
#include "ui/types.h"

namespace ui {

class ControlPeer;
class Form;
struct OpenFileRequest;

enum class EventType {
  Click,
  DoubleClick,
  SelectionChanged,
  PositionChanged,
  MouseDown,
  MouseMove,
  MouseUp,
};

struct ControlEvent {
  EventType type = EventType::Click;
  MouseEvent mouse;  // mouse events only
};

class Control {
 public:
  // Binds to the row of form.definition() named `name`; a name missing from the table is a
  // programming error and aborts.
  Control(Form& form, std::string_view name);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const ControlDef& definition() const { return *definition_; }
  std::string_view name() const { return definition_->name; }
  ControlKind kind() const { return definition_->kind; }
  Form& form() const { return form_; }

  bool visible() const;
  void setVisible(bool visible);
  bool enabled() const;
  void setEnabled(bool enabled);
  Rect bounds() const;
  void setBounds(Rect bounds);
  void move(int left, int top);  // keeps the size
  Cursor cursor() const;
  void setCursor(Cursor cursor);

  // The keyboard focus. focus() does nothing for a hidden or disabled control; on a form that
  // is not active, the control gets the focus when the form is next activated.
  bool hasFocus() const;
  void focus();
  // Visible and enabled: a user can reach it.
  bool reachable() const { return visible() && enabled(); }

  // For backends: the control's peer (null before load and after destroy), and the entry
  // point of user events, on the UI thread.
  ControlPeer* peer() const { return peer_.get(); }
  void deliver(const ControlEvent& event);

 protected:
  // The live peer, or a stand-in that ignores everything. Asserts the UI thread.
  ControlPeer& p() const;
  virtual void handle(const ControlEvent& event) = 0;
  // Applies the definition's start state to a freshly created peer.
  virtual void applyStartState();

 private:
  friend class Form;
  void attach(std::unique_ptr<ControlPeer> peer);
  void detach();

  Form& form_;
  const ControlDef* definition_;
  std::unique_ptr<ControlPeer> peer_;
};

class Label : public Control {
 public:
  using Control::Control;
  std::string caption() const;
  void setCaption(const std::string& caption);
  std::function<void(const MouseEvent&)> onMouseMove;

 protected:
  void handle(const ControlEvent& event) override;
  void applyStartState() override;
};

class Button : public Control {
 public:
  using Control::Control;
  std::string caption() const;
  void setCaption(const std::string& caption);
  std::function<void()> onClick;

 protected:
  void handle(const ControlEvent& event) override;
  void applyStartState() override;
};

class CheckBox : public Button {
 public:
  using Button::Button;
  bool checked() const;
  void setChecked(bool checked);

 protected:
  void applyStartState() override;
};

class RadioButton : public CheckBox {
 public:
  using CheckBox::CheckBox;
  // Checking one unchecks the other radio buttons of its group.
  void setChecked(bool checked);

 protected:
  void handle(const ControlEvent& event) override;
};

class ComboBox : public Control {
 public:
  using Control::Control;
  int addItem(const std::string& text, const std::string& data = {});
  // An item whose text GBK may not hold (a file name): shown with all its characters.
  int addItem(const std::u16string& text, const std::string& data = {});
  void clear();
  int count() const;
  std::string itemText(int index) const;
  std::u16string itemTextUtf16(int index) const;
  std::u16string textUtf16() const;  // the selected item's text, or empty
  std::string itemData(int index) const;
  int selectedIndex() const;  // -1: none
  void setSelectedIndex(int index);
  std::string text() const;  // the selected item's text, or empty
  std::function<void()> onSelectionChanged;

 protected:
  void handle(const ControlEvent& event) override;
};

class EditBox : public Control {
 public:
  using Control::Control;
  std::string content() const;
  // The content as typed, for texts that are not program text (a file name may hold
  // characters GBK cannot).
  std::u16string contentUtf16() const;
  void setContent(const std::string& content);

 protected:
  void handle(const ControlEvent& event) override {}
  void applyStartState() override;
};

class PictureBox : public Control {
 public:
  using Control::Control;
  std::string picture() const;
  void setPicture(const std::string& imageBytes);

 protected:
  void handle(const ControlEvent& event) override {}
  void applyStartState() override;
};

class DrawingPanel : public Control {
 public:
  using Control::Control;
  std::string picture() const;  // the background picture
  void setPicture(const std::string& imageBytes);
  void clear();
  void drawRectangle(Point from, Point to);
  void drawLine(Point from, Point to);
  void copyFrom(const DrawingPanel& source, Rect area, Point to);
  std::string snapshotBmp() const;
  void update();
  std::function<void(const MouseEvent&)> onMouseDown;
  std::function<void(const MouseEvent&)> onMouseMove;
  std::function<void(const MouseEvent&)> onMouseUp;

 protected:
  void handle(const ControlEvent& event) override;
};

class ProgressBar : public Control {
 public:
  using Control::Control;
  int position() const;
  void setPosition(int position);

 protected:
  void handle(const ControlEvent& event) override {}
};

// Not visual: shows the system open-file dialog with the filter its definition holds.
class FileDialog : public Control {
 public:
  using Control::Control;
  // The chosen file or an empty path. A request without a filter takes the definition's.
  std::filesystem::path chooseOpenFile(const OpenFileRequest& request) const;
  std::filesystem::path chooseOpenFile() const;

 protected:
  void handle(const ControlEvent& event) override {}
};

class StatusBar : public Control {
 public:
  using Control::Control;
  std::string sectionText(int section) const;
  void setSectionText(int section, const std::string& text);
  std::function<void()> onDoubleClick;

 protected:
  void handle(const ControlEvent& event) override;
  void applyStartState() override;
};

// What an owner-data list shows: rows that belong to someone else (a form's controller), read
// cell by cell as the list draws them. Called on the UI thread only, while the list's window
// exists; the text is program text (GBK), and a row or column without text answers empty.
class ListRowSource {
 public:
  virtual std::string cellText(int row, int column) const = 0;

 protected:
  ~ListRowSource() = default;
};

// Report-style list: rows of text cells addressed by 0-based row and column, under titled
// columns.
//
// Two modes, fixed by the definition (ControlDef::ownerData):
// - A list that holds its rows: appendRow, setCell, deleteRow and deleteAllRows change them.
// - An owner-data list, which only displays rows that its owner keeps. The owner implements
//   ListRowSource and tells the list where its rows are and how many there are, then which
//   rows changed; the list asks for the cells it draws, so a list of any length fills at once
//   and costs only the rows in sight:
//
//     class ResultRows : public ui::ListRowSource {             // the controller's model
//       std::string cellText(int row, int column) const override { ... }
//     };
//     list.setRowSource(&rows);        // before or after the form is loaded
//     list.setRowCount(rows.size());   // after the rows were replaced, added or removed
//     list.rowsChanged(7, 7);          // after row 7 changed in place
//
//   The row operations of the first mode do nothing here; cell() reads the source. The source
//   must outlive the list's window, or be replaced (setRowSource(nullptr)) before it goes.
//   Columns, titles, widths and the selection work as in the first mode. When the count
//   shrinks below the selected row, the selection is dropped; otherwise it stays on its row
//   number. Neither reports an event.
class ListView : public Control {
 public:
  using Control::Control;
  bool ownerData() const { return definition().ownerData; }
  int columnCount() const;
  void addColumn(const std::string& title, int width);
  void deleteColumn(int column);
  void deleteAllColumns();
  std::string columnTitle(int column) const;
  void setColumnTitle(int column, const std::string& title);
  int columnWidth(int column) const;
  int rowCount() const;
  int appendRow();
  void deleteRow(int row);
  void deleteAllRows();
  std::string cell(int row, int column) const;
  void setCell(int row, int column, const std::string& text);
  int selectedRow() const;  // -1: none
  void selectRow(int row);
  void repaint();
  std::function<void()> onSelectionChanged;

  // Owner-data lists only; see above.
  void setRowSource(const ListRowSource* source);
  void setRowCount(int count);
  void rowsChanged(int first, int last);

 protected:
  void handle(const ControlEvent& event) override;
  void applyStartState() override;

 private:
  const ListRowSource* rowSource_ = nullptr;
  int ownedRowCount_ = 0;  // kept for a window created after the owner set it
};

class Slider : public Control {
 public:
  using Control::Control;
  int minimum() const { return minimum_; }
  int maximum() const { return maximum_; }
  void setRange(int minimum, int maximum);
  void setSteps(int lineStep, int pageStep);
  int position() const;
  // Clamps to the range; reports the change when the clamped position is a new one.
  void setPosition(int position);
  std::function<void()> onPositionChanged;

 protected:
  void handle(const ControlEvent& event) override;
  void applyStartState() override;

 private:
  void reportIfChanged();
  int minimum_ = 0;
  int maximum_ = 0;
  int lastReported_ = 0;
};

}  // namespace ui
