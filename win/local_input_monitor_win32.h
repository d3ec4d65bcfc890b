// The Win32 local input monitor: low-level keyboard and mouse hooks on a thread of the monitor's
// own. Windows builds only.
//
// Contract: as LocalInputMonitor. The hook thread runs nothing but its message loop and the two
// hook procedures, which only apply LocalInputFilter and call the note, so the system's input is
// never held up behind the runner's platform thread or the injection thread.
#ifndef ORVANE_WIN_LOCAL_INPUT_MONITOR_WIN32_H_
#define ORVANE_WIN_LOCAL_INPUT_MONITOR_WIN32_H_

#include <memory>

#include "win/local_input_monitor.h"

namespace orvane::win {

std::unique_ptr<LocalInputMonitor> makePlatformLocalInputMonitor();

}  // namespace orvane::win

#endif  // ORVANE_WIN_LOCAL_INPUT_MONITOR_WIN32_H_
