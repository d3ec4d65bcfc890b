# Front door for building, testing and measuring orvane_native. See README.md.
.PHONY: all setup test test-native test-tsan test-windows bench bench-windows fuzz format demo clean

WINE_RUN := scripts/wine-run --prefix $(CURDIR)/build/windows/wineprefix
FUZZ_SECONDS ?= 30

all: test

setup:
	@scripts/setup

test: setup
	$(MAKE) test-native
	$(MAKE) test-tsan
	$(MAKE) test-windows

test-native:
	cmake --preset native
	cmake --build --preset native
	ctest --preset native

test-tsan:
	cmake --preset native-tsan
	cmake --build --preset native-tsan
	ctest --preset native-tsan

test-windows:
	cmake --preset windows
	cmake --build --preset windows
	$(WINE_RUN) start
	ctest --preset windows; rc=$$?; $(WINE_RUN) stop; exit $$rc

bench: setup
	cmake --preset native-release
	cmake --build --preset native-release
	scripts/run-benchmarks build/native-release

bench-windows: setup
	cmake --preset windows-release
	cmake --build --preset windows-release --target input_latency_bench orvane-host orvane_native_plugin
	scripts/bench-windows build/windows-release

fuzz: setup
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/run-fuzzers build/fuzz $(FUZZ_SECONDS)

demo: setup
	cmake --preset windows
	cmake --build --preset windows --target orvane-host orvane_native_plugin
	scripts/demo build/windows

format:
	git ls-files '*.h' '*.cc' | xargs clang-format -i

clean:
	rm -rf build
