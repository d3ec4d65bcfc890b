// A task queue served by exactly one worker thread of its own: everything posted to it runs on
// that thread, one task at a time, so state touched only by its tasks needs no lock.
#ifndef HOST_SERIAL_QUEUE_H_
#define HOST_SERIAL_QUEUE_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orvane::host {

// Contract:
// - Every member may be called from any thread, including from a task on the worker.
// - Tasks given to Post and PostAndWait run in the order they were queued. A timer's task runs no
//   earlier than its deadline, after every task already ready when the worker saw it was due;
//   timers due together run in (deadline, id) order. A cancelled timer never runs.
// - Timers run on the queue's clock: the steady clock unless the constructor is given another
//   (a test's, which moves only when the test moves it; the worker looks again whenever a task is
//   posted). Waits (the limits of PostAndWait and Shutdown) are always real time.
// - Tasks run on the worker only, never while the queue's lock is held; a task may post to, wait
//   on, cancel timers of, or shut down its own queue.
// - Limits are milliseconds; a limit of zero or less only looks once.
// - Once Shutdown has begun, every post is refused and the task is destroyed unrun; pending tasks
//   and timers are destroyed unrun; the task that is running finishes.
// - The queue's bookkeeping is shared with the worker and with every waiting task, so a worker
//   left detached by a Shutdown that gave up never touches freed queue memory. Whatever a task
//   captures must likewise stay valid until the task has run or been destroyed: capture shared
//   ownership, not a pointer to an object that a detached worker could outlive.
// - A task that throws: the worker catches the exception, writes one line naming the queue to the
//   standard error stream, and goes on with the next task. A PostAndWait waiting for that task
//   gets false (it did not finish). Nothing is swallowed silently and the process is not ended by
//   an escaped exception on the worker.
class SerialQueue {
 public:
  using Task = std::function<void()>;
  // Nanoseconds on a monotonic clock. Called under the queue's lock: it must not call the queue.
  using Clock = std::function<std::int64_t()>;

  // The steady clock in nanoseconds, the default Clock.
  static std::int64_t SteadyNowNs();

  // Starts the worker. The label names the queue in diagnostics; timers run on `clock`.
  explicit SerialQueue(std::string label, Clock clock = SteadyNowNs);
  // Shuts down with a limit of kDestructorShutdownLimitMs.
  ~SerialQueue();

  SerialQueue(const SerialQueue&) = delete;
  SerialQueue& operator=(const SerialQueue&) = delete;

  // Queues the task without waiting. False (task destroyed unrun) when the task is empty or the
  // queue is stopping.
  bool Post(Task task);

  // Queues the task and waits at most limitMs for it to finish. True when it finished in time.
  // Called on the worker itself, the task runs at once, inline, and the limit plays no part. False
  // when the task is empty, the queue is stopping (task destroyed unrun), or the limit ran out (the
  // task stays queued and still runs later, or is discarded by a Shutdown).
  bool PostAndWait(Task task, std::int64_t limitMs);

  // Schedules the task to run once delayNs nanoseconds from now (a negative delay counts as 0).
  // Returns the timer's id, never reused; 0 (task destroyed unrun) when the task is empty or the
  // queue is stopping.
  std::uint64_t PostDelayed(std::int64_t delayNs, Task task);

  // Removes a scheduled timer so it never runs; its task is destroyed outside the lock. False when
  // no scheduled timer has that id: 0, an unknown id, or one already due and moved to run.
  bool Cancel(std::uint64_t timerId);

  // Refuses further posts, discards pending tasks and timers unrun, and waits at most limitMs for
  // the worker to finish its current task and exit. True when the worker exited and was joined, or
  // when a shutdown had already been performed. False when the worker was detached instead: the
  // limit ran out, or the call came from the worker itself (a thread cannot join itself).
  bool Shutdown(std::int64_t limitMs);

  static constexpr std::int64_t kDestructorShutdownLimitMs = 200;

 private:
  struct State;

  std::string label_;
  std::shared_ptr<State> state_;
};

}  // namespace orvane::host

#endif  // HOST_SERIAL_QUEUE_H_
