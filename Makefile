# Ravak: a thin layer over CMake. One source tree, three builds:
#   build/host   Linux, gcc, sanitizers: unit tests and ravak-tool
#   build/win64  Windows x64 (mingw-w64), deliverables in dist/win64
#   build/win32  Windows x86 (mingw-w64), deliverables in dist/win32
SHELL := /bin/bash
BUILD ?= build
DIST ?= dist
CMAKE_GEN := -G Ninja

.PHONY: all deps host win64 win32 unit e2e test format format-check bench run demo clean \
  host-build win64-build win32-build unit-run

# Each stage prints its name as it starts and its time as it ends (tools/stage.sh).
STAGE := tools/stage.sh
SUBMAKE := $(MAKE) --no-print-directory

all: host win64 win32

deps:
	@$(STAGE) packages tools/install-deps.sh

# The host build compiles the benchmarks too (make bench runs them), so nothing breaks them unseen.
host: deps
	@$(STAGE) "host build" $(SUBMAKE) host-build
host-build:
	cmake -S . -B $(BUILD)/host $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DRAVAK_BENCH=ON >/dev/null
	cmake --build $(BUILD)/host

win64: deps
	@$(STAGE) win64 $(SUBMAKE) win64-build
win64-build:
	cmake -S . -B $(BUILD)/win64 $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=MinSizeRel \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
	cmake --build $(BUILD)/win64
	cmake --install $(BUILD)/win64 --prefix $(DIST)/win64 >/dev/null

win32: deps
	@$(STAGE) win32 $(SUBMAKE) win32-build
win32-build:
	cmake -S . -B $(BUILD)/win32 $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=MinSizeRel \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
	cmake --build $(BUILD)/win32
	cmake --install $(BUILD)/win32 --prefix $(DIST)/win32 >/dev/null

unit: host
	@$(STAGE) unit $(SUBMAKE) unit-run
unit-run:
	cd $(BUILD)/host && ctest --output-on-failure --timeout 300 -j $$(nproc)

# End-to-end tests: the x64 build under Wine, in parallel workers, each on a private Xvfb display.
e2e: win64
	@$(STAGE) e2e tests/e2e/run.sh

format-check:
	@$(STAGE) format tools/check-format.sh

format:
	@tools/check-format.sh --fix

test: all format-check unit e2e

# Benchmarks: Google Benchmark on an optimised host build without sanitizers, then the
# end-to-end figures under Wine.
bench: deps win64
	cmake -S . -B $(BUILD)/bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DRAVAK_SANITIZE=OFF \
	  -DRAVAK_TESTS=OFF >/dev/null
	cmake --build $(BUILD)/bench --target ravak_bench
	$(BUILD)/bench/bench/ravak_bench
	# One worker: the figures are read from /proc and must not share the machine.
	RAVAK_E2E_BENCH=1 RAVAK_E2E_WORKERS=1 tests/e2e/run.sh -k bench -s

run: win64
	tools/run.sh

# A short scripted session under Wine on a private Xvfb: prints each step, saves screenshots and
# the README's pictures in build/demo/, and fails when a step does not give its result.
demo: win64
	/usr/bin/python3 tools/demo.py

clean:
	rm -rf $(BUILD) $(DIST)
