// The view the engine renders into, as the plugin sees it: a handle to its window.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_FLUTTER_VIEW_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_FLUTTER_VIEW_H_

#include <windows.h>

#include "flutter/flutter_desktop_embedder.h"

namespace flutter {

// Contract: platform thread only; the view handle is not owned.
class FlutterView {
 public:
  explicit FlutterView(FlutterDesktopViewRef view) : view_(view) {}

  FlutterView(const FlutterView&) = delete;
  FlutterView& operator=(const FlutterView&) = delete;

  // The view's child window; its root ancestor is the runner's top-level window.
  HWND GetNativeWindow() const { return FlutterDesktopViewGetHWND(view_); }

 private:
  FlutterDesktopViewRef view_;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_FLUTTER_VIEW_H_
