// Work that leaves the user-interface thread, started one way everywhere.
//
// - A Worker is owned: it runs its jobs one at a time, in order, on a thread of its own. A job
//   handed in as replaceable drops a replaceable one still waiting (only the newest search
//   matters). The owner's destructor stops it by its rule: kJoin waits for the running job
//   (work that ends quickly, such as bank work); kAbandon leaves a job blocked in a network
//   wait or a long decode to finish alone, so the process never waits for it at exit.
// - OneShots are owned jobs that each need a thread of their own (several may be waiting on a
//   server at once); they are always abandoned at exit.
// - Results go back through the owner's Gate: once the owner is gone, nothing passes, so work
//   that finishes late is dropped instead of delivered.
// - A job that throws is caught at the worker's top and reported to the one failure handler;
//   it never ends the process and never stops the worker.
//
// What a job needs it takes along as copies; an abandoned job must hold no reference to its
// owner or to anything static.
#pragma once
#include <functional>
#include <memory>
#include <mutex>

namespace platform {

// Reports a job that threw; `what` is the exception's text, or "unknown exception". The
// default writes a line to standard error. Any thread; an empty handler restores the default.
using WorkerFailureHandler = std::function<void(const char* what)>;
void setWorkerFailureHandler(WorkerFailureHandler handler);
// Runs `job` under the failure policy above.
void runGuarded(const std::function<void()>& job);
// Runs `job` under that policy on a thread of its own that nobody waits for at exit. False
// when the system would not start one; the job has not run then.
bool startAbandoned(const std::function<void()>& job);

// The owner's say over its workers' results. Open until close(); close() waits only for a
// delivery in progress (a post, which never waits), never for a job.
class Gate {
 public:
  // Runs `deliver` while the gate is open, holding it open meanwhile; false when closed.
  bool pass(const std::function<void()>& deliver);
  void close();
  bool open() const;

 private:
  mutable std::mutex mutex_;
  bool open_ = true;
};

class Worker {
 public:
  enum class AtExit { kJoin, kAbandon };

  explicit Worker(AtExit atExit = AtExit::kJoin);
  // Closes the gate, drops the jobs still waiting, then joins or abandons by the rule.
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // Any thread; returns at once. Runs `job` after everything handed in before it.
  void submit(std::function<void()> job);
  // As submit, but a replaceable job still waiting is dropped for this one.
  void submitReplacing(std::function<void()> job);

  // No job waiting or running (tests wait for it).
  bool idle() const;
  // A job is waiting or the worker is stopping: long work that can wait asks this and gives
  // way. Any thread.
  bool workWaiting() const;

  // The gate results pass through; closed when the worker is destroyed.
  const std::shared_ptr<Gate>& gate() const { return gate_; }

 private:
  struct Queue;
  std::shared_ptr<Gate> gate_;
  std::shared_ptr<Queue> queue_;
  AtExit atExit_;
};

class OneShots {
 public:
  OneShots();
  // Closes the gate; jobs still running finish alone and deliver nothing.
  ~OneShots();
  OneShots(const OneShots&) = delete;
  OneShots& operator=(const OneShots&) = delete;

  // Any thread: runs `job` on a new thread. False when the system would not start one; the
  // job has not run then, and the caller may run it itself.
  bool start(const std::function<void()>& job);

  const std::shared_ptr<Gate>& gate() const { return gate_; }

 private:
  std::shared_ptr<Gate> gate_;
};

}  // namespace platform
