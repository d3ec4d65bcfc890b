# Fuzz targets of the platform channel layer: value decoding, and whole incoming messages through
# method- and event-channel dispatch over an in-memory messenger.
orvane_add_fuzzer(NAME value_decode_fuzz SOURCES value_decode_fuzz.cc LIBS flutter_channels)
orvane_add_fuzzer(NAME method_call_fuzz SOURCES method_call_fuzz.cc LIBS flutter_channels)
target_include_directories(method_call_fuzz PRIVATE "${CMAKE_SOURCE_DIR}/flutter_client")
