# Input frames: decoding against a plain JSON parse, translation per message kind, key lookup.
orvane_add_benchmark(NAME input_bench SOURCES "${CMAKE_CURRENT_SOURCE_DIR}/input_bench.cc"
                                             "${CMAKE_CURRENT_SOURCE_DIR}/input_bench_allocations.cc"
                     LIBS orvane_input_core orvane::json)
