// Installs a headless backend for the lifetime of a scope (a test), on the calling thread,
// and destroys every form left when the scope ends.
#pragma once
#include "ui/headless/headless_backend.h"
#include "ui/toolkit.h"

namespace ui::headless {

class Session {
 public:
  Session() { ui::install(backend_); }
  ~Session() { ui::uninstall(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  HeadlessBackend& backend() { return backend_; }

 private:
  HeadlessBackend backend_;
};

}  // namespace ui::headless
