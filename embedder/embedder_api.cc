// The embedder's plain functions, as the stand-in implements them: thin forwards to the engine that
// owns each handle. Null handles are refused quietly rather than crashing the host.
#include "engine.h"
#include "flutter/flutter_desktop_embedder.h"

extern "C" {

FlutterDesktopMessengerRef FlutterDesktopPluginRegistrarGetMessenger(
    FlutterDesktopPluginRegistrarRef registrar) {
  return registrar != nullptr ? registrar->engine->messenger() : nullptr;
}

FlutterDesktopTextureRegistrarRef FlutterDesktopRegistrarGetTextureRegistrar(
    FlutterDesktopPluginRegistrarRef registrar) {
  return registrar != nullptr ? registrar->engine->texture_registrar() : nullptr;
}

FlutterDesktopViewRef FlutterDesktopPluginRegistrarGetView(
    FlutterDesktopPluginRegistrarRef registrar) {
  return registrar != nullptr ? registrar->view.get() : nullptr;
}

void FlutterDesktopPluginRegistrarSetDestructionHandler(
    FlutterDesktopPluginRegistrarRef registrar, FlutterDesktopOnPluginRegistrarDestroyed callback) {
  if (registrar == nullptr) {
    return;
  }
  registrar->engine->messenger()->Count(kOrvaneEmbedderCallSetDestructionHandler);
  registrar->destruction_handler = callback;
}

#if defined(_WIN32)
HWND FlutterDesktopViewGetHWND(FlutterDesktopViewRef view) {
  return view != nullptr ? static_cast<HWND>(view->window) : nullptr;
}

void FlutterDesktopPluginRegistrarRegisterTopLevelWindowProcDelegate(
    FlutterDesktopPluginRegistrarRef registrar, FlutterDesktopWindowProcCallback delegate,
    void* user_data) {
  if (registrar == nullptr || delegate == nullptr) {
    return;
  }
  registrar->engine->messenger()->Count(kOrvaneEmbedderCallRegisterWindowProcDelegate);
  registrar->engine->RegisterWindowProcDelegate(registrar, delegate, user_data);
}

void FlutterDesktopPluginRegistrarUnregisterTopLevelWindowProcDelegate(
    FlutterDesktopPluginRegistrarRef registrar, FlutterDesktopWindowProcCallback delegate) {
  if (registrar == nullptr) {
    return;
  }
  registrar->engine->messenger()->Count(kOrvaneEmbedderCallUnregisterWindowProcDelegate);
  registrar->engine->UnregisterWindowProcDelegate(registrar, delegate);
}
#endif

bool FlutterDesktopMessengerSend(FlutterDesktopMessengerRef messenger, const char* channel,
                                 const uint8_t* message, size_t message_size) {
  if (messenger == nullptr || channel == nullptr) {
    return false;
  }
  const std::lock_guard<std::recursive_mutex> teardown(messenger->teardown);
  if (messenger->engine == nullptr) {
    return false;
  }
  messenger->engine->RecordSent(channel, message, message_size);
  return true;
}

bool FlutterDesktopMessengerSendWithReply(FlutterDesktopMessengerRef messenger, const char* channel,
                                          const uint8_t* message, size_t message_size,
                                          FlutterDesktopBinaryReply reply, void* user_data) {
  if (messenger == nullptr || channel == nullptr) {
    return false;
  }
  const std::lock_guard<std::recursive_mutex> teardown(messenger->teardown);
  return messenger->engine != nullptr &&
         messenger->engine->RecordSentWithReply(channel, message, message_size, reply, user_data);
}

void FlutterDesktopMessengerSendResponse(FlutterDesktopMessengerRef messenger,
                                         const FlutterDesktopMessageResponseHandle* handle,
                                         const uint8_t* data, size_t data_length) {
  if (messenger == nullptr) {
    return;
  }
  messenger->Count(kOrvaneEmbedderCallSendResponse);
  const std::lock_guard<std::recursive_mutex> teardown(messenger->teardown);
  if (messenger->engine != nullptr) {
    messenger->engine->Respond(handle, data, data_length);
  }
}

void FlutterDesktopMessengerSetCallback(FlutterDesktopMessengerRef messenger, const char* channel,
                                        FlutterDesktopMessageCallback callback, void* user_data) {
  if (messenger == nullptr || channel == nullptr) {
    return;
  }
  messenger->Count(kOrvaneEmbedderCallSetCallback);
  const std::lock_guard<std::recursive_mutex> teardown(messenger->teardown);
  if (messenger->engine != nullptr) {
    messenger->engine->SetChannelCallback(channel, callback, user_data);
  }
}

FlutterDesktopMessengerRef FlutterDesktopMessengerAddRef(FlutterDesktopMessengerRef messenger) {
  if (messenger != nullptr) {
    messenger->Count(kOrvaneEmbedderCallMessengerAddRef);
    messenger->references.fetch_add(1, std::memory_order_relaxed);
  }
  return messenger;
}

void FlutterDesktopMessengerRelease(FlutterDesktopMessengerRef messenger) {
  if (messenger != nullptr) {
    messenger->Count(kOrvaneEmbedderCallMessengerRelease);
    orvane::embedder::ReleaseMessengerReference(messenger);
  }
}

bool FlutterDesktopMessengerIsAvailable(FlutterDesktopMessengerRef messenger) {
  return messenger != nullptr && messenger->available.load();
}

FlutterDesktopMessengerRef FlutterDesktopMessengerLock(FlutterDesktopMessengerRef messenger) {
  if (messenger != nullptr) {
    messenger->teardown.lock();
  }
  return messenger;
}

void FlutterDesktopMessengerUnlock(FlutterDesktopMessengerRef messenger) {
  if (messenger != nullptr) {
    messenger->teardown.unlock();
  }
}

int64_t FlutterDesktopTextureRegistrarRegisterExternalTexture(
    FlutterDesktopTextureRegistrarRef texture_registrar,
    const FlutterDesktopTextureInfo* texture_info) {
  constexpr int64_t kRefused = -1;
  return texture_registrar != nullptr ? texture_registrar->engine->RegisterTexture(texture_info)
                                      : kRefused;
}

void FlutterDesktopTextureRegistrarUnregisterExternalTexture(
    FlutterDesktopTextureRegistrarRef texture_registrar, int64_t texture_id,
    FlutterDesktopOnTextureUnregistered callback, void* user_data) {
  if (texture_registrar != nullptr) {
    texture_registrar->engine->UnregisterTexture(texture_id, callback, user_data);
  }
}

bool FlutterDesktopTextureRegistrarMarkExternalTextureFrameAvailable(
    FlutterDesktopTextureRegistrarRef texture_registrar, int64_t texture_id) {
  return texture_registrar != nullptr &&
         texture_registrar->engine->MarkTextureFrameAvailable(texture_id);
}

}  // extern "C"
