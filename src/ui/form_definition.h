// A form's definition as data: its window and one row per control. Forms keep these tables
// as constants; the toolkit builds the window from them when the form is loaded.
//
// Texts in a definition (captions, contents, titles, font names) are UTF-8, as written in the
// source. The toolkit converts captions and contents to program text (GBK) once, when it
// applies them; font names go to the backend as written.
#pragma once
#include <span>
#include <string_view>

#include "ui/types.h"

namespace ui {

struct FontDef {
  std::string_view face;  // empty: the backend's default face
  int pointSize = 9;
  bool bold = false;
};

struct ColumnDef {
  std::string_view title;
  int width = 0;
};

struct SectionDef {
  int width = -1;  // pixels; -1 takes the rest of the bar
  std::string_view text;
};

struct SliderDef {
  int minimum = 0;
  int maximum = 100;
  int position = 0;
  int lineStep = 1;
  int pageStep = 10;
};

struct ControlDef {
  std::string_view name;  // the member's name in its form class
  ControlKind kind = ControlKind::Label;
  Rect place;
  std::string_view text;  // caption, initial content, or a file dialog's filter
  FontDef font;
  Align align = Align::Left;
  bool visible = true;
  bool enabled = true;
  bool checked = false;  // check boxes and radio buttons
  // Edit boxes.
  bool multiLine = false;
  bool readOnly = false;
  bool verticalScroll = false;
  std::span<const ColumnDef> columns;    // list views
  std::span<const SectionDef> sections;  // status bars
  SliderDef slider;                      // sliders
  int group = 0;                         // radio buttons of one group exclude each other
  // List views: the list shows the rows of a ListRowSource and holds none itself (see
  // ListView). Fixed for the window's life, as the system's list view needs it at creation.
  bool ownerData = false;
  std::string_view picture;  // picture boxes: the image shown from the start, as file bytes
  bool stretchPicture = false;  // picture boxes: the image fills the box (a magnifier)
};

enum class FormStyle {
  Bordered,    // title bar with caption and close box
  Borderless,  // no border or title bar (a full-screen overlay)
};

struct FormDef {
  std::string_view name;  // the form class's name, for messages
  std::string_view caption;
  Rect place;  // window position and outer size on the screen
  FormStyle style = FormStyle::Bordered;
  // Controls in stacking order: a later row lies above an earlier one where they overlap
  // (the controls of the focus order lie above the others).
  std::span<const ControlDef> controls;
  bool topmost = false;          // starts always on top
  bool titleKeptActive = false;  // starts with its title bar drawn as active
  // The controls Tab visits, by name, in order; Shift+Tab goes back. The form opens with the
  // focus on the first that can take it. Neighbouring radio buttons of one group are one stop
  // (the checked one), and the arrow keys move within them.
  std::span<const std::string_view> focusOrder;
  bool escapeCloses = false;  // Esc destroys the form, as its close box does
};

}  // namespace ui
