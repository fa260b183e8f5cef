# make demo   - build everything and run the uninstaller on the bundled sample application
# make test   - build everything and run every test (unit, sanitizer, end to end under Wine)
JOBS ?= 2

.PHONY: all build win32 host asan test unit e2e demo bench fuzz setup clean

all: build

setup:
	@bash scripts/setup

win32: setup
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32

host: setup
	@cmake --preset host >/dev/null
	@cmake --build --preset host

asan: setup
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan

build: win32 host

# Unit tests under the sanitizers first (fast), then the host suite with the
# end-to-end tests; ctest's summary closes the output.
test: build asan
	@cd build/asan && ctest --output-on-failure -j $(JOBS)
	@cd build/host && ctest --output-on-failure -j $(JOBS)

unit: host
	@cd build/host && ctest --output-on-failure -L unit

e2e: build
	@cd build/host && ctest --output-on-failure -j $(JOBS) -L e2e

demo: build
	@bash scripts/demo

bench: build
	@bash scripts/bench

clean:
	rm -rf build
