# A frame's cost on the calling thread: injectInput against a bare post of the frame's task.
orvane_add_benchmark(NAME intake_bench
  SOURCES "${CMAKE_CURRENT_LIST_DIR}/intake_bench.cc"
  LIBS orvane_injection)
