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
# Precompiled headers differ only in time stamps between clones.
export CCACHE_SLOPPINESS ?= pch_defines,time_macros,include_file_mtime,include_file_ctime
# The sanitizer build uses clang when the machine has it: its sanitizers cost
# half the compile time of gcc's.
SAN_CC ?= $(if $(shell command -v clang),clang,cc)
SAN_CXX ?= $(if $(shell command -v clang++),clang++,c++)
# Each phase of `make test` prints its time and appends it here.
PHASE_LOG ?= $(CURDIR)/$(ASAN_BUILD)/phases.txt
PHASE := $(CURDIR)/scripts/phase
BENCH_OUT ?= $(BUILD)/bench-results

.PHONY: all deps configure build test test-release test-asan fuzz run workbench bench clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release

$(ASAN_BUILD)/build.ninja:
	CC=$(SAN_CC) CXX=$(SAN_CXX) cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DSANITIZE=ON

build: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test-release: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure --timeout 300
	scripts/check-exports $(BUILD)/lib

test-asan: $(ASAN_BUILD)/build.ninja
	$(PHASE) build-asan cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		$(PHASE) test-asan ctest -j $(JOBS) --output-on-failure --timeout 600
	$(PHASE) check-exports scripts/check-exports $(ASAN_BUILD)/lib

# Builds the libFuzzer targets with clang and runs each for a fixed number
# of runs from a fixed seed.
$(FUZZ_BUILD)/build.ninja:
	CC=clang CXX=clang++ cmake -S fuzz -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release

fuzz: $(FUZZ_BUILD)/build.ninja
	$(PHASE) build-fuzz cmake --build $(FUZZ_BUILD) -j $(JOBS)
	$(PHASE) run-fuzz sh -c 'for f in regexp_fuzz stringtable_fuzz servoreply_fuzz paramfile_fuzz treestream_fuzz shellclip_fuzz; do \
		ASAN_OPTIONS=detect_leaks=1 $(FUZZ_BUILD)/bin/$$f -runs=$(FUZZ_RUNS) -seed=1 \
			-max_len=512 -timeout=60 || exit 1; \
	done'

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

# Installs what is missing, then builds the whole tree once, under the
# address and undefined-behaviour sanitizers, and runs every test there; then
# builds and runs the fuzz targets. Each phase prints its time, and the list
# of them closes the run. (`make test-release` runs the suite without
# sanitizers, for when a difference between the two is in question.)
test:
	@mkdir -p $(ASAN_BUILD) && rm -f $(PHASE_LOG)
	@export PHASE_LOG=$(PHASE_LOG); \
	$(PHASE) deps scripts/install-deps && \
	$(PHASE) configure-asan $(MAKE) --no-print-directory $(ASAN_BUILD)/build.ninja && \
	$(MAKE) --no-print-directory test-asan && \
	$(PHASE) configure-fuzz $(MAKE) --no-print-directory $(FUZZ_BUILD)/build.ninja && \
	$(MAKE) --no-print-directory fuzz; \
	status=$$?; echo "--- phase times"; cat $(PHASE_LOG); exit $$status

# Builds every benchmark program (release build) and runs each benchmark with
# short, fixed repetitions; prints one table of the medians, with the ratio to
# the peer measured in the same run where there is one.
bench: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	@rm -rf $(BENCH_OUT) && mkdir -p $(BENCH_OUT)
	@for b in $$(cat $(BUILD)/benchmarks.txt); do \
		echo "running $$(basename $$b)"; \
		$$b --benchmark_repetitions=3 --benchmark_min_time=0.05 \
			--benchmark_report_aggregates_only=true \
			--benchmark_out=$(BENCH_OUT)/$$(basename $$b).json --benchmark_out_format=json \
			> $(BENCH_OUT)/$$(basename $$b).log 2>&1 || { cat $(BENCH_OUT)/$$(basename $$b).log; exit 1; }; \
	done
	@scripts/bench-table $(BENCH_OUT)/*.json

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
