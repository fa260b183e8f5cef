# make demo   - build everything and run the uninstaller on the bundled sample application
# make test   - build everything and run every test (unit, sanitizer, end to end under Wine)
# make fuzz   - run each fuzz target for FUZZ_SECONDS (default 300); findings under build/fuzz/
JOBS ?= 2
FUZZ_SECONDS ?= 300
MAKEFLAGS += --no-print-directory

.PHONY: all build win32 win64 host asan test unit e2e fuzz demo setup clean

all: build

setup:
	@bash scripts/setup

win32: setup
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32

# The 64-bit twin of the program and the UI driver, for the end-to-end tests.
win64: setup
	@cmake --preset win64 >/dev/null
	@cmake --build --preset win64

host: setup
	@cmake --preset host >/dev/null
	@cmake --build --preset host

asan: setup
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan

build: win32 win64 host

# Unit tests under the sanitizers first (fast), then the host suite with the
# end-to-end tests; ctest's summary closes the output.
test: build asan
	@cd build/asan && ctest --output-on-failure -j $(JOBS)
	@bash scripts/wine-env which build/host/wine
	@cd build/host && ctest --output-on-failure -j $(JOBS)

unit: host
	@cd build/host && ctest --output-on-failure -L unit

e2e: build
	@bash scripts/wine-env which build/host/wine
	@cd build/host && ctest --output-on-failure -j $(JOBS) -L e2e

fuzz: setup
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/fuzz

demo: build
	@bash scripts/demo

clean:
	rm -rf build
