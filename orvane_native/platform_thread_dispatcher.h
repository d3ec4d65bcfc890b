// The road from any thread to the platform thread: a hidden message-only window that runs queued
// tasks, in order, whenever it receives its wake message.
#ifndef ORVANE_NATIVE_PLATFORM_THREAD_DISPATCHER_H_
#define ORVANE_NATIVE_PLATFORM_THREAD_DISPATCHER_H_

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace orvane_native {

// Contract:
// - Construct and destroy on the platform thread, which must pump messages: the window belongs
//   to the thread that created it, and every task runs there, from the window procedure, in the
//   order it was posted.
// - Post may be called from any thread, including from a running task (that task then runs at a
//   later wake, not in the current drain). Every Post sends a wake message of its own, and any
//   wake drains every task queued before it. So a wake message that a modal loop or a message
//   filter takes from the queue without dispatching it delays the tasks ahead of it only until
//   the next Post's wake; wakes that find the list empty do nothing.
// - The lock guards the task list and the window handle; it is never held while a task runs or is
//   destroyed, so tasks may take other locks and post freely.
// - Destruction drops every queued task unrun; a Post that races with destruction (or comes from a
//   dropped task's destructor) is dropped too. A wake message still queued afterwards finds no
//   dispatcher and does nothing. Posting to a dispatcher whose destructor has returned is the
//   caller's error, as for any destroyed object.
// - Without a window (creation failed) every Post is dropped; creationError() tells why.
class PlatformThreadDispatcher {
 public:
  using Task = std::function<void()>;

  static constexpr UINT kWakeMessage = WM_USER + 1;
  static constexpr wchar_t kWindowClassName[] = L"OrvaneNativeDispatcherWindow";

  // Creates the window at once; reports no failure (see window() and creationError()).
  PlatformThreadDispatcher();
  ~PlatformThreadDispatcher();

  PlatformThreadDispatcher(const PlatformThreadDispatcher&) = delete;
  PlatformThreadDispatcher& operator=(const PlatformThreadDispatcher&) = delete;

  // Queues the task to run on the platform thread and wakes the window. False (task destroyed
  // unrun) when the task is empty, there is no window, or destruction has begun.
  bool Post(Task task);
  // Wakes the window without queuing: a task whose own wake was lost runs now. Any thread; does
  // nothing without a window. For posters that queue one task for many pieces of work.
  void Wake();

  // The message-only window; null when creation failed or destruction has begun.
  HWND window() const;
  // GetLastError() of the failed window creation; 0 when the window was created.
  std::uint32_t creationError() const { return creationError_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  // Runs every task queued before the call, outside the lock. Platform thread, wake message only.
  void DrainTasks();

  HWND window_ = nullptr;
  std::uint32_t creationError_ = 0;
  mutable std::mutex lock_;
  std::vector<Task> tasks_;
};

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_PLATFORM_THREAD_DISPATCHER_H_
