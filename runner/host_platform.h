// The runner around the plugin for orvane-host: the stand-in engine, the top-level window with
// its view, the plugin loaded through its export, and the hook observer of injected input.
#ifndef RUNNER_HOST_PLATFORM_H_
#define RUNNER_HOST_PLATFORM_H_

#include <memory>
#include <string>
#include <vector>

#include "runner/command_line.h"
#include "runner/host_window.h"
#include "runner/input_observer.h"
#include "runner/plugin_host.h"
#include "runner/session.h"

namespace orvane::runner {

// Contract: create, use and destroy on the platform thread (the program's main thread). The hook
// observer runs on a thread of its own, so the plugin's injection thread never waits for this
// one. Destruction closes the windows, then the engine, then stops the observer.
class HostPlatform : public SessionPlatform {
  struct PassKey {
    explicit PassKey() = default;
  };

 public:
  // Null on failure, with a one-line reason in `error`. When the hooks cannot be installed the
  // runner goes on without a trace and says so in `warning`.
  static std::unique_ptr<HostPlatform> Create(const HostOptions& options, std::string& error,
                                              std::string& warning);
  explicit HostPlatform(PassKey) {}

  MethodReply Send(const std::string& channel, const std::vector<uint8_t>& message) override;
  void Pump(std::uint32_t ms) override;
  void SendWindowMessage(WindowMessage message) override;
  void InjectLocalInput(std::int32_t x, std::int32_t y) override;
  bool Running() const override;
  std::vector<ObservedEvent> TakeObserved() override;
  std::vector<std::vector<uint8_t>> TakeEvents() override;
  void DestroyRegistrar() override;

 private:
  HostWindow* Window() const;

  InputObserver observer_;
  std::unique_ptr<PluginHost> host_;
  // The runner's window when the plugin is registered without a view.
  std::unique_ptr<HostWindow> ownWindow_;
  bool quit_ = false;
};

}  // namespace orvane::runner

#endif  // RUNNER_HOST_PLATFORM_H_
