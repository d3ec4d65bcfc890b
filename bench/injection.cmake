# The injector's frame path (decode, admit, translate, send) against a plain JSON parse.
orvane_add_benchmark(NAME injection_bench
  SOURCES "${CMAKE_CURRENT_LIST_DIR}/injection_bench.cc"
  LIBS orvane_injection orvane::json)
