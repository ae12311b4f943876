#include "app/controllers/screenshot_overlay.h"

#include <memory>
#include <utility>
#include <vector>

#include "capture/overlay_geometry.h"
#include "ui/system.h"

namespace app {
namespace {

using capture::kCrossHairAt;
using capture::kMagnifierSource;

bool contains(const ui::Rect& area, int x, int y) {
  return x >= area.left && x < area.left + area.width && y >= area.top &&
         y < area.top + area.height;
}

class ScreenshotOverlay {
 public:
  ScreenshotOverlay(ScreenshotForm& form, SelectionFinished finished, AreaMarked marked = nullptr)
      : form_(form), finished_(std::move(finished)), marked_(std::move(marked)) {}

  void PrepareOverlay();
  void BeginSelection(int x, int y);
  void TrackMouse(int x, int y);
  void FinishSelection(int x, int y);
  void DodgeScratchBoard();
  void hideHint() { form_.标签_提示.setVisible(false); }
  void resetSelection() { selection_.reset(); }

 private:
  ui::Size boardSize() const {
    ui::Rect board = form_.画板1.bounds();
    return {board.width, board.height};
  }
  void showMagnifier(int x, int y);
  // A monitor's area in board coordinates.
  capture::BoardRect onBoard(const ui::Monitor& monitor) const {
    return {monitor.area.left - origin_.x, monitor.area.top - origin_.y, monitor.area.width,
            monitor.area.height};
  }
  capture::BoardRect primaryOnBoard() const;

  ScreenshotForm& form_;
  SelectionFinished finished_;
  AreaMarked marked_;  // set when the overlay marks an area instead
  capture::SelectionState selection_;
  // The board covers the virtual screen: a board point plus origin_ is a screen point.
  ui::Point origin_;
  std::vector<ui::Monitor> monitors_;
};

capture::BoardRect ScreenshotOverlay::primaryOnBoard() const {
  int primary = ui::primaryMonitorIndex(monitors_);
  if (primary < 0) {
    ui::Size board = boardSize();
    return {0, 0, board.width, board.height};
  }
  return onBoard(monitors_[std::size_t(primary)]);
}

void ScreenshotOverlay::PrepareOverlay() {
  monitors_ = ui::monitors();
  ui::Rect screen = ui::virtualScreenOf(monitors_);
  origin_ = {screen.left, screen.top};
  form_.setBounds(screen);
  form_.画板1.setBounds({0, 0, screen.width, screen.height});
  // The hint and the scratch board sit on the primary monitor, where the user is sure to look.
  capture::BoardRect primary = primaryOnBoard();
  ui::Rect hint = form_.标签_提示.bounds();
  form_.标签_提示.move(primary.left + capture::centredLeft(primary.width, hint.width),
                       primary.top + hint.top);
  // The form is still hidden: the picture is the screen without the overlay.
  form_.画板1.setPicture(ui::screenSnapshotBmp());
  // The magnifier works in screen pixels whatever the monitor's scale: its scratch board holds
  // exactly the source square and its picture has the size its placement assumes.
  form_.画板3.setBounds({primary.left, primary.top + primary.height - kMagnifierSource,
                        kMagnifierSource, kMagnifierSource});
  ui::Rect magnifier = form_.图片框1.bounds();
  form_.图片框1.setBounds(
      {magnifier.left, magnifier.top, capture::kMagnifierSize, capture::kMagnifierSize});
}

void ScreenshotOverlay::BeginSelection(int x, int y) {
  form_.标签_提示.setVisible(false);
  form_.画板1.clear();
  selection_.begin(x, y);
}

void ScreenshotOverlay::TrackMouse(int x, int y) {
  if (selection_.selecting) {
    form_.画板1.clear();
    form_.画板1.update();
    form_.画板1.drawRectangle({selection_.left, selection_.top}, {x, y});
  } else {
    if (form_.画板1.cursor() != ui::Cursor::Cross) form_.画板1.setCursor(ui::Cursor::Cross);
    if (!form_.画板3.visible()) form_.画板3.setVisible(true);
    if (!form_.图片框1.visible()) form_.图片框1.setVisible(true);
  }
  // The full-screen board lies above the scratch board for the mouse on Windows (it was made
  // first), so the scratch board never hears the cursor itself: the big board tells it.
  if (contains(form_.画板3.bounds(), x, y)) DodgeScratchBoard();
  showMagnifier(x, y);
}

void ScreenshotOverlay::showMagnifier(int x, int y) {
  capture::BoardPoint source = capture::magnifierSource(x, y);
  // Paper first: near an edge part of the square lies off the board.
  form_.画板3.clear();
  form_.画板3.copyFrom(form_.画板1, {source.x, source.y, kMagnifierSource, kMagnifierSource},
                       {0, 0});
  form_.画板3.drawLine({0, kCrossHairAt}, {kMagnifierSource, kCrossHairAt});
  form_.画板3.drawLine({kCrossHairAt, 0}, {kCrossHairAt, kMagnifierSource});
  form_.图片框1.setPicture(form_.画板3.snapshotBmp());
  // Kept on the monitor under the cursor, so it never hangs off the edge of a smaller one.
  int under = ui::monitorIndexAt(monitors_, {x + origin_.x, y + origin_.y});
  ui::Size board = boardSize();
  capture::BoardRect area = under < 0 ? capture::BoardRect{0, 0, board.width, board.height}
                                      : onBoard(monitors_[std::size_t(under)]);
  capture::BoardPoint place = capture::magnifierPlace(x, y, selection_, area);
  form_.图片框1.move(place.x, place.y);
}

void ScreenshotOverlay::FinishSelection(int x, int y) {
  ui::Size board = boardSize();
  capture::BoardRect cut = selection_.finish(x, y, board.width, board.height);
  if (marked_) {
    marked_({cut.left + origin_.x, cut.top + origin_.y, cut.width, cut.height});
    form_.destroy();
    return;
  }
  form_.画板1.clear();
  ui::Rect cutOut = form_.画板2.bounds();
  form_.画板2.setBounds({cutOut.left, cutOut.top, cut.width, cut.height});
  form_.画板2.setVisible(true);
  // From the frozen picture, not from the live screen.
  form_.画板2.copyFrom(form_.画板1, {cut.left, cut.top, cut.width, cut.height}, {0, 0});
  std::string image;
  if (cut.width > 0 && cut.height > 0) image = form_.画板2.snapshotBmp();
  if (finished_) finished_(std::move(image));
  form_.destroy();
}

void ScreenshotOverlay::DodgeScratchBoard() {
  ui::Rect scratch = form_.画板3.bounds();
  capture::BoardRect primary = primaryOnBoard();
  int left = capture::dodgedScratchLeft(scratch.left - primary.left, primary.width);
  form_.画板3.move(primary.left + left, scratch.top);
}

void wireOverlay(ScreenshotForm& form, const std::shared_ptr<ScreenshotOverlay>& overlay) {
  form.onCreated = [overlay] { overlay->PrepareOverlay(); };
  // Esc destroys the form like every other way out, so the selection is always reset.
  form.onDestroying = [overlay] { overlay->resetSelection(); };
  form.画板1.onMouseDown = [overlay](const ui::MouseEvent& e) {
    if (e.button == ui::MouseButton::Left) overlay->BeginSelection(e.point.x, e.point.y);
  };
  form.画板1.onMouseMove = [overlay](const ui::MouseEvent& e) {
    overlay->TrackMouse(e.point.x, e.point.y);
  };
  form.画板1.onMouseUp = [overlay](const ui::MouseEvent& e) {
    if (e.button == ui::MouseButton::Left) overlay->FinishSelection(e.point.x, e.point.y);
  };
  form.标签_提示.onMouseMove = [overlay](const ui::MouseEvent&) { overlay->hideHint(); };
  form.画板3.onMouseMove = [overlay](const ui::MouseEvent&) { overlay->DodgeScratchBoard(); };
}

}  // namespace

void attachScreenshotOverlay(ScreenshotForm& form, SelectionFinished finished) {
  wireOverlay(form, std::make_shared<ScreenshotOverlay>(form, std::move(finished)));
}

void attachAreaMarking(ScreenshotForm& form, ui::Rect remembered, AreaMarked marked) {
  auto shared = std::make_shared<AreaMarked>(std::move(marked));
  wireOverlay(form, std::make_shared<ScreenshotOverlay>(form, nullptr, [shared](ui::Rect area) {
                if (*shared) (*shared)(area);
              }));
  form.onKeyDown = [&form, remembered, shared](int virtualKey) {
    if (virtualKey != ui::key::kReturn || remembered.width <= 0 || remembered.height <= 0) return;
    if (*shared) (*shared)(remembered);
    form.destroy();
  };
}

void MarkScreenArea(ui::Rect remembered, AreaMarked marked) {
  ui::loadModal<ScreenshotForm>([&](ScreenshotForm& form) {
    attachAreaMarking(form, remembered, std::move(marked));
  });
}

void OpenScreenshotOverlay(SelectionFinished finished) {
  ui::loadModal<ScreenshotForm>(
      [&finished](ScreenshotForm& form) { attachScreenshotOverlay(form, std::move(finished)); });
}

}  // namespace app
