# The watchdog's lateness at a short limit, idle and with frames for other work, beside a queue
# timer's own.
orvane_add_benchmark(NAME watchdog_bench SOURCES "${CMAKE_CURRENT_LIST_DIR}/watchdog_bench.cc"
                     LIBS orvane_injection)
