# Wire decoding and translation, with the held-input record kept across inputs.
orvane_add_fuzzer(NAME input_fuzz SOURCES "${CMAKE_CURRENT_SOURCE_DIR}/input_fuzz.cc"
                  LIBS orvane_input_core)
