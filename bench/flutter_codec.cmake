# Throughput of the standard codec on the plugin's hot call and on a large byte list.
orvane_add_benchmark(NAME codec_bench SOURCES codec_bench.cc LIBS flutter_channels)
