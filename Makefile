# make demo   - build everything and run the uninstaller on the bundled sample application
# make test   - build everything and run every test (unit, sanitizer, end to end under Wine)
# make bench  - benchmarks on the host and under Wine; writes docs/benchmarks.md (never part of test)
# make fuzz   - run each fuzz target for FUZZ_SECONDS (default 300); findings under build/fuzz/
# make sign CERT=cert.pem KEY=key.pem (or PKCS12=file.pfx) [LOG=name] [SIGN_FLAGS=...] [CAFILE=...]
#             - build/win32/unins-signed.exe: the program, reading the log LOG when given, signed
JOBS ?= 2
ROUNDS ?= 5
FUZZ_SECONDS ?= 300
MAKEFLAGS += --no-print-directory

.PHONY: all build win32 win64 host asan test unit e2e fuzz demo bench sign setup clean

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
# end-to-end tests on the shipped 32-bit program (UNINS_ALLOW_TWIN=1 allows
# the 64-bit twin where 32-bit Wine cannot run; never in CI). ctest's
# summary and the line naming the program that ran close the output.
test: build asan
	@cd build/asan && ctest --output-on-failure -j $(JOBS)
	@bash scripts/wine-env which build/host/wine
	@cd build/host && { ctest --output-on-failure -j $(JOBS); status=$$?; \
		bash ../../scripts/wine-env ran wine; exit $$status; }

unit: host
	@cd build/host && ctest --output-on-failure -L unit

e2e: build
	@bash scripts/wine-env which build/host/wine
	@cd build/host && ctest --output-on-failure -j $(JOBS) -L e2e

# Timings, not tests: the host benchmarks, then the shipped program under
# Wine in the benchmark's own sealed prefix; the figures go to docs/benchmarks.md.
BENCH_WINE = $(CURDIR)/build/bench/wine
bench: win32 win64 host
	@mkdir -p build/bench docs
	@cat /proc/loadavg | cut -d' ' -f1-3 > build/bench/load-before
	build/host/bench/host_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
		--benchmark_out=build/bench/host.json --benchmark_out_format=json
	@bash scripts/wine-env start $(BENCH_WINE)
	UNINS_WINE_DIR=$(BENCH_WINE) build/host/bench/wine_bench build/bench/wine.tsv $(ROUNDS); \
		status=$$?; bash scripts/wine-env stop $(BENCH_WINE); exit $$status
	python3 bench/report.py build/bench/host.json build/bench/wine.tsv $(ROUNDS) \
		"$$(cat build/bench/load-before)" > docs/benchmarks.md
	@echo "wrote docs/benchmarks.md"

fuzz: setup
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/fuzz

demo: build
	@bash scripts/demo

# Authenticode signature with the author's certificate (osslsigncode). The
# log's name goes into the trailer first: a signature covers the trailer, and
# nothing may be appended after it. SIGN_FLAGS passes more (-pass, -t URL to
# timestamp); CAFILE names the certificate chain the check trusts.
SIGNED = build/win32/unins-signed.exe
sign: win32
	@if [ -n "$(PKCS12)" ]; then keys="-pkcs12 $(PKCS12)"; \
	elif [ -n "$(CERT)" ] && [ -n "$(KEY)" ]; then keys="-certs $(CERT) -key $(KEY)"; \
	else echo "make sign: give CERT=cert.pem KEY=key.pem, or PKCS12=file.pfx" >&2; exit 2; fi; \
	in=build/win32/unins.exe; \
	if [ -n "$(LOG)" ]; then \
		sh scripts/append-trailer $$in build/win32/unins-named.exe "$(LOG)" >/dev/null; \
		in=build/win32/unins-named.exe; fi; \
	rm -f $(SIGNED); \
	osslsigncode sign $$keys -h sha256 -n unins $(SIGN_FLAGS) -in $$in -out $(SIGNED) >/dev/null
	@osslsigncode verify $(if $(CAFILE),-CAfile $(CAFILE)) -in $(SIGNED) > $(SIGNED).verify 2>&1 || \
		{ cat $(SIGNED).verify; echo "make sign: the signature does not verify" >&2; exit 1; }
	@echo "$(SIGNED): $$(wc -c < $(SIGNED)) bytes, signed, log $(or $(LOG),uninstal.ini)"

clean:
	rm -rf build
