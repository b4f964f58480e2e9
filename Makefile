# The project's commands. `make test` is what CI runs.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_RUNS ?= 20000
GENERATOR := -G Ninja
# Paths under the clone count relative to it for the compiler cache, so that
# fresh clones (as CI makes them) reuse what earlier builds compiled.
export CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_NOHASHDIR ?= 1

.PHONY: all deps configure build test test-release test-asan fuzz bench run workbench clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DSANITIZE=ON

build: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test-release: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure --timeout 300

test-asan: $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest -j $(JOBS) --output-on-failure --timeout 600

# Builds the libFuzzer targets with clang and runs each for a fixed number
# of runs from a fixed seed.
$(FUZZ_BUILD)/build.ninja:
	CC=clang CXX=clang++ cmake -S fuzz -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release

fuzz: $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	for f in regexp_fuzz stringtable_fuzz servoreply_fuzz paramfile_fuzz; do \
		ASAN_OPTIONS=detect_leaks=1 $(FUZZ_BUILD)/bin/$$f -runs=$(FUZZ_RUNS) -seed=1 \
			-max_len=512 -timeout=60 || exit 1; \
	done

# Builds and runs the benchmark programs (Google Benchmark) in the release build.
BENCHES ?= registry_bench regexp_bench hashtable_bench vtree_bench servoread_bench
bench: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target $(BENCHES)
	for b in $(BENCHES); do $(BUILD)/bin/$$b || exit 1; done

# Runs the servo panel against the simulated drive on COM1 (see
# scripts/run-servopanel and docs/servopanel.md).
run: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target servopanel servodrive-sim
	BUILD=$(BUILD) scripts/run-servopanel

# Runs the workbench host with every page of benchkit's components (see
# scripts/run-workbench): on the desktop, or saved as pictures in build/workbench/.
workbench: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target workbench
	BUILD=$(BUILD) scripts/run-workbench

# Installs what is missing, then builds and runs every test, plain and under
# the address and undefined-behaviour sanitizers.
test: deps
	$(MAKE) test-release
	$(MAKE) test-asan
	$(MAKE) fuzz

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
