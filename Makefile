# Entry points: `make demo`, `make install`, `make test`, `make bench`,
# `make fuzz`, `make clean`.
# Build directories, one per kind of build so that none switches another's
# type: build/ (Release: the demo and make install), build-debug/ (Debug
# tests), build-asan/ (AddressSanitizer + UndefinedBehaviorSanitizer tests),
# build-bench/, build-fuzz/ (fuzzing), build-fuzz-check/ (the fuzzers'
# smoke runs of make test); build-host/ is where the README builds the
# example host.  BUILD=, DEBUG_BUILD=, ASAN_BUILD=, BENCH_BUILD=,
# FUZZ_BUILD= and FUZZ_CHECK_BUILD= name others.

JOBS ?= -j2
CMAKE ?= cmake
CTEST ?= ctest
BUILD ?= build
DEBUG_BUILD ?= build-debug
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_CHECK_BUILD ?= build-fuzz-check
FUZZ_CXX ?= clang++-14
# `make fuzz` runs each harness this long; `make test` runs each for
# FUZZ_CHECK_SECONDS on its corpus, built unoptimised: a smoke run needs the
# harnesses to run, not speed, and the build takes half the time.
FUZZ_BUILD_TYPE ?= RelWithDebInfo
FUZZ_SECONDS ?= 600
FUZZ_CHECK_SECONDS ?= 30
# The tessel program that makes the fuzz seeds; empty: the fuzz build's own.
FUZZ_SEED_TOOL ?=
FUZZERS = reader entry_points script roundtrip
HOST_BUILD ?= build-host
TESSEL = $(BUILD)/tools/tessel/tessel
# make install: where to (PREFIX), and a staging root (DESTDIR) for packaging.
PREFIX ?= /usr/local
DESTDIR ?=

# Sanitizer reports fail the run and show where they came from.  Their exit
# status (66) differs from every status tessel itself gives.
export ASAN_OPTIONS = halt_on_error=1:detect_leaks=1:print_stacktrace=1:strict_string_checks=1:exitcode=66
export UBSAN_OPTIONS = halt_on_error=1:print_stacktrace=1:exitcode=66
# Tests that fail print their output; nothing waits on a terminal.
export CTEST_OUTPUT_ON_FAILURE = 1

.PHONY: all deps deps-demo deps-install demo install test test-debug test-asan check32 bench clean fuzz fuzz-build fuzz-check

all: demo

# Each task installs only the packages it needs.
deps:
	@scripts/install-deps test
deps-demo:
	@scripts/install-deps demo
deps-install:
	@scripts/install-deps install

# The Release build of the library and tessel, without the tests.
RELEASE_CONFIGURE = $(CMAKE) -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DTESSEL_SANITIZE=OFF -DTESSEL_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=$(PREFIX)

demo: deps-demo
	$(RELEASE_CONFIGURE)
	$(CMAKE) --build $(BUILD) $(JOBS) --target tessel
	$(TESSEL) log examples/grants.log
	$(TESSEL) replay examples/demo.xml
	$(TESSEL) grammar | head -n 40
	$(TESSEL) receive tests/data/air/p25_1_48000.raw --out $(BUILD)/heard.xml
	$(TESSEL) transmit examples/site.script --center 851100000 --rate 240000 --out $(BUILD)/site.cu8
	$(TESSEL) receive $(BUILD)/site.cu8 --center 851100000 --rate 240000 --out $(BUILD)/site.xml
	@echo "tessel is $(BUILD)/tools/tessel/tessel; 'make install' puts it in $(PREFIX)/bin"

install: deps-install
	$(RELEASE_CONFIGURE)
	$(CMAKE) --build $(BUILD) $(JOBS)
	DESTDIR=$(DESTDIR) $(CMAKE) --install $(BUILD)

# Each test runs once, in the sanitized build (the installed-package check
# too, with a sanitized host); the 32-bit check compiles in that build's
# folder; the fuzzers run last.  A plain Debug build of the tests stays
# available as test-debug.
test: deps
	$(MAKE) test-asan
	$(MAKE) check32
	$(MAKE) fuzz-check FUZZ_SEED_TOOL=$(abspath $(ASAN_BUILD))/tools/tessel/tessel

test-debug:
	$(CMAKE) -S . -B $(DEBUG_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTESSEL_SANITIZE=OFF -DTESSEL_TESTS=ON
	$(CMAKE) --build $(DEBUG_BUILD) $(JOBS)
	cd $(DEBUG_BUILD) && $(CTEST) --output-on-failure $(JOBS)

ASAN_CONFIGURE = $(CMAKE) -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTESSEL_SANITIZE=ON -DTESSEL_TESTS=ON

test-asan:
	$(ASAN_CONFIGURE)
	$(CMAKE) --build $(ASAN_BUILD) $(JOBS)
	cd $(ASAN_BUILD) && $(CTEST) --output-on-failure $(JOBS)

# Every library source compiled with -m32: record layouts must hold on the
# 32-bit target too.
check32:
	$(ASAN_CONFIGURE)
	$(CMAKE) --build $(ASAN_BUILD) $(JOBS) --target check32

# The benchmarks are the executables built under $(BENCH_BUILD)/bench/.
bench: deps
	@if [ ! -f bench/CMakeLists.txt ]; then echo "bench: no benchmarks yet"; exit 0; fi; \
	set -e; \
	$(CMAKE) -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DTESSEL_SANITIZE=OFF -DTESSEL_TESTS=OFF -DTESSEL_BENCH=ON; \
	$(CMAKE) --build $(BENCH_BUILD) $(JOBS); \
	found=0; \
	for b in $$(find $(BENCH_BUILD)/bench -maxdepth 1 -type f -perm -u+x | sort); do \
	  found=1; echo "== $$b"; $$b; \
	done; \
	[ $$found -eq 1 ] || echo "bench: no benchmarks yet"

# libFuzzer harnesses (fuzz/), built with clang in $(FUZZ_BUILD): the
# harnesses and their seed corpora only.  fuzz/run runs FUZZ_JOBS of them at
# a time (default 2).
fuzz-build:
	$(CMAKE) -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) -DCMAKE_BUILD_TYPE=$(FUZZ_BUILD_TYPE) \
	  -DTESSEL_SANITIZE=OFF -DTESSEL_TESTS=OFF -DTESSEL_FUZZ=ON -DTESSEL_SEED_TOOL=$(FUZZ_SEED_TOOL)
	$(CMAKE) --build $(FUZZ_BUILD) $(JOBS) --target fuzz_corpora $(FUZZERS:%=fuzz_%)

fuzz: deps fuzz-build
	fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZERS)

fuzz-check:
	$(MAKE) fuzz-build FUZZ_BUILD=$(FUZZ_CHECK_BUILD) FUZZ_BUILD_TYPE=Debug
	fuzz/run $(FUZZ_CHECK_BUILD) $(FUZZ_CHECK_SECONDS) $(FUZZERS)

clean:
	rm -rf $(BUILD) $(DEBUG_BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(FUZZ_CHECK_BUILD) $(HOST_BUILD)
