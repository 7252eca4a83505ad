# Thin wrapper: every target installs what is missing, configures, builds and runs.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
BENCH_BUILD ?= build-bench
WIN_BUILD  ?= build-windows
JOBS       ?= $(shell nproc)
WERROR     := $(if $(CI),ON,OFF)
CMAKE_GEN  := -G Ninja -DPELLUM_WERROR=$(WERROR)
# The sanitizer and Windows builds compile files in batches (CMake's unity build): each batch
# parses the shared headers once, which takes a third off the ASan build. The normal build keeps
# one file at a time, so that a file missing an include of its own still fails there.
UNITY      := -DCMAKE_UNITY_BUILD=ON

.PHONY: all deps build run test test-main test-asan test-tsan test-windows bench clean \
        check-main check-alsa check-asan check-tsan check-windows asan-build tsan-build \
        windows-build

all: build

deps:
	@scripts/install-deps

# The benchmarks are built with everything else, so a change that breaks them shows at once;
# `make bench` runs them from a Release build of their own.
$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLUM_BUILD_BENCH=ON

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# Starts the window on the desktop; without a display it runs inside a virtual one. Builds the
# window and what it needs only: the tests come with `make build` and `make test`.
run: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target pellum
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then $(BUILD)/app/pellum; \
	else echo "No display: running Pellum under Xvfb"; xvfb-run -a -s "-screen 0 1024x768x24" $(BUILD)/app/pellum; fi

# Every build and every test; the tests that need a quiet machine run in front, the other builds
# and the tests that don't behind them at idle priority (scripts/test-all).
test:
	@scripts/test-all

# Each part alone: test-main, test-asan, test-tsan, test-windows, test-fuzz. The check-* targets
# run a build's tests without building it.
test-main: build
	$(MAKE) --no-print-directory check-main check-alsa

check-main:
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -LE alsa

# The ALSA sequencer's tests, in a virtual machine: the CTest test alsa.vm, run without CTest so
# that it may run beside another CTest in the same build folder.
check-alsa:
	scripts/alsa-vm $(BUILD)

# ASan+UBSan over every test but the ALSA machine's, whose programs come from the normal build.
asan-build: deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DPELLUM_SANITIZE=address $(UNITY)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test-asan: asan-build
	$(MAKE) --no-print-directory check-asan

check-asan:
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# ThreadSanitizer over the Qt-free tests: the ring, the driver callback and the device layer.
tsan-build: deps
	cmake -S . -B $(TSAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DPELLUM_SANITIZE=thread -DPELLUM_BUILD_APP=OFF $(UNITY)
	cmake --build $(TSAN_BUILD) -j $(JOBS)

test-tsan: tsan-build
	$(MAKE) --no-print-directory check-tsan

check-tsan:
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --output-on-failure -j $(JOBS)

# Optimized less and without debug information, which nothing reads under Wine: a file builds in
# about two thirds of the time. The Linux builds keep -O2.
WIN_FLAGS ?= -O1 -DNDEBUG
# The Windows build (mingw-w64) of core/, midi/, platform/ and pellum-cli.exe, its tests run under
# Wine in a prefix inside $(WIN_BUILD); pellum-cli.exe is compared with the Linux pellum-cli.
windows-build: deps $(BUILD)/build.ninja
	@scripts/install-deps windows
	cmake --build $(BUILD) -j $(JOBS) --target pellum-cli
	cmake -S . -B $(WIN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$(WIN_FLAGS)" \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DPELLUM_BUILD_APP=OFF $(UNITY) \
	  -DPELLUM_LINUX_CLI=$(abspath $(BUILD))/cli/pellum-cli
	cmake --build $(WIN_BUILD) -j $(JOBS)

test-windows: windows-build
	$(MAKE) --no-print-directory check-windows

check-windows:
	cd $(WIN_BUILD) && ctest --output-on-failure -j $(JOBS)

# PipeWire's libjack, which pw-jack puts first for the programs it runs.
PIPEWIRE_JACK := /usr/lib/$(shell gcc -print-multiarch 2>/dev/null)/pipewire-0.3/jack

bench: deps
	cmake -S . -B $(BENCH_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DPELLUM_BUILD_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bench/*; do if [ -f "$$b" ] && [ -x "$$b" ]; then echo "== $$b"; "$$b" || exit 1; fi; done
	@echo "== $(BENCH_BUILD)/bench/jack_capture on PipeWire"; \
	  PELLUM_TEST_SERVER=pipewire LD_LIBRARY_PATH=$(PIPEWIRE_JACK)$${LD_LIBRARY_PATH:+:$$LD_LIBRARY_PATH} \
	  $(BENCH_BUILD)/bench/jack_capture

# libFuzzer harnesses of every reader (tests/fuzz), built with clang and ASan+UBSan in their own
# folder. `make fuzz` runs each for FUZZ_SECONDS over its seed corpus and what earlier runs found
# ($(FUZZ_BUILD)/corpus); a finding stops the run and is left in $(FUZZ_BUILD)/findings.
# FUZZERS="fuzz_syx fuzz_cfg" runs some of them.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZERS      ?= fuzz_syx fuzz_midi fuzz_cfg fuzz_settings fuzz_identity fuzz_midi_in fuzz_hex
.PHONY: fuzz fuzz-build test-fuzz

fuzz-build: deps
	@scripts/install-deps fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPELLUM_BUILD_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZERS)

# Scratch files (the .syx harness saves on every input) go to memory where there is some, in a
# folder of this run's own that goes when it ends, whatever the fuzzers left behind.
fuzz: fuzz-build
	@set -e; tmp=$$(mktemp -d "$$( [ -d /dev/shm ] && echo /dev/shm || echo $${TMPDIR:-/tmp} )/pellum-fuzz.XXXXXX"); \
	trap 'rm -rf "$$tmp"' EXIT; \
	for f in $(FUZZERS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$f $(FUZZ_BUILD)/findings; \
	  echo "== $$f for $(FUZZ_SECONDS) s"; \
	  TMPDIR=$$tmp $(FUZZ_BUILD)/tests/fuzz/$$f -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	    -print_final_stats=1 -artifact_prefix=$(abspath $(FUZZ_BUILD))/findings/$$f- \
	    $(FUZZ_BUILD)/corpus/$$f tests/fuzz/corpus/$$f > $(FUZZ_BUILD)/$$f.log 2>&1 \
	    || { tail -n 60 $(FUZZ_BUILD)/$$f.log; echo "$$f: FAILED (log: $(FUZZ_BUILD)/$$f.log)"; exit 1; }; \
	  grep -E '^stat::number_of_executed_units|^stat::average_exec_per_sec' $(FUZZ_BUILD)/$$f.log \
	    | sed "s/^/$$f /"; \
	done

# The short pass CI runs: a harness that no longer builds, or fails at once, fails the tests.
test-fuzz:
	$(MAKE) fuzz FUZZ_SECONDS=20

# Installs the programs, desktop entry, icons and AppStream file under PREFIX.
PREFIX ?= /usr/local
.PHONY: install
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package pellum_<version>_amd64.deb, copied here from $(PACKAGE_BUILD): a Release build
# of the two programs alone, with Debian's compiler and linker flags (dpkg-buildflags: -O2, as the
# tested builds, and Debian's hardening; no -g, the package's programs are stripped), packed by
# CPack's DEB generator (packaging/deb/Package.cmake). `make test-package` also checks it
# (tests/install/check-package), installing nothing.
PACKAGE_BUILD ?= build-package
DEB_FLAG = $$(DEB_CFLAGS_MAINT_STRIP=-g DEB_CXXFLAGS_MAINT_STRIP=-g dpkg-buildflags --get $(1))
.PHONY: package test-package check-package

package: deps
	cmake -S . -B $(PACKAGE_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DPELLUM_BUILD_TESTS=OFF \
	  -DCMAKE_C_FLAGS_RELEASE=-DNDEBUG -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
	  -DCMAKE_C_FLAGS="$(call DEB_FLAG,CFLAGS) $(call DEB_FLAG,CPPFLAGS)" \
	  -DCMAKE_CXX_FLAGS="$(call DEB_FLAG,CXXFLAGS) $(call DEB_FLAG,CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(call DEB_FLAG,LDFLAGS)"
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	rm -f $(PACKAGE_BUILD)/pellum_*.deb
	cd $(PACKAGE_BUILD) && cpack
	cp $(PACKAGE_BUILD)/pellum_*.deb .

test-package: package
	$(MAKE) --no-print-directory check-package

check-package:
	@scripts/install-deps package
	tests/install/check-package $(PACKAGE_BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(BENCH_BUILD) $(WIN_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD)
