#include "harness.h"
#include "ui/headless/session.h"

namespace conformance {
namespace {

class HeadlessHarness final : public Harness {
 public:
  void click(ui::Control& control) override { backend().click(control); }
  void select(ui::ComboBox& combo, int index) override { backend().select(combo, index); }
  void selectRow(ui::ListView& list, int row) override { backend().selectRow(list, row); }
  void dragSlider(ui::Slider& slider, int position) override {
    backend().dragSlider(slider, position);
  }
  void closeBox(ui::Form& form) override { backend().closeBox(form); }
  void keyDown(ui::Form& form, int virtualKey) override {
    ui::FormHandle handle = form.handle();
    ui::post(handle, [this, handle, virtualKey] {
      if (ui::Form* target = ui::findForm(handle)) backend().keyDown(*target, virtualKey);
    });
  }
  void pressKey(ui::Form& form, int virtualKey, bool shift) override {
    backend().keyDown(form, virtualKey, shift);
    backend().runPending();
  }
  bool runUntil(const std::function<bool()>& done) override { return backend().runUntil(done); }

 private:
  ui::headless::HeadlessBackend& backend() { return session_.backend(); }
  ui::headless::Session session_;
};

}  // namespace

std::unique_ptr<Harness> makeHarness() { return std::make_unique<HeadlessHarness>(); }

}  // namespace conformance
