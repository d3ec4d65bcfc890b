# SerialQueue: Post-to-start latency and throughput against a minimal mutex + condition variable
# hand-off.
orvane_add_benchmark(NAME serial_queue_bench SOURCES serial_queue_bench.cc LIBS orvane_host)
