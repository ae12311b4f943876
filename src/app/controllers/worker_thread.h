// Work that leaves the user-interface thread: a thread of its own, never waited for. What it
// needs it takes along; what it finds it hands back with ui::post.
#pragma once
#include <functional>
#include <system_error>
#include <thread>

namespace app {

// False when the system would not start another thread; the work has not run then.
inline bool startWorker(std::function<void()> work) {
  try {
    std::thread(std::move(work)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace app
