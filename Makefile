# Thin wrapper: install what is missing, then CMake and CTest do the work.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# ccache, where installed, keeps rebuilds in several checkouts short; the build never needs it.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all run test test-sanitize fuzz bench deps configure build clean install package format-check

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(LAUNCHER) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The program only; the tests are built by make test. The engine refuses to start as root with its
# sandbox, and the browser never turns its sandbox off: say so plainly rather than let it fail.
run: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target zarvo-velmora
	@if [ "$$(id -u)" = 0 ]; then \
		echo "make run: built $(BUILD_DIR)/zarvo-velmora, but not started: the web engine does not start as root (its sandbox needs a normal user). Run it as a normal user." >&2; \
		exit 1; \
	fi
	cd $(CURDIR) && $(BUILD_DIR)/zarvo-velmora

# Headless: the tests set QT_QPA_PLATFORM=offscreen themselves through CTest.
test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Program, launcher, desktop entry, icons and metainfo under PREFIX (DESTDIR is honoured).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# The Debian package, built into the build folder.
package: build
	cmake --build $(BUILD_DIR) --target package

# Benchmarks build in release mode in their own folder and print one table (see README.md). With
# no display, they run on a virtual X server of their own.
BENCH_DIR ?= build-bench
bench: deps
	@scripts/install-deps.sh scripts/bench-packages.txt
	@cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DZV_BENCH=ON $(LAUNCHER) >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS) --target bench_driver
	@if [ -n "$$DISPLAY" ] || [ -n "$$QT_QPA_PLATFORM" ]; then $(BENCH_DIR)/bench/bench_driver; \
	else xvfb-run -a -s "-screen 0 1920x1080x24" $(BENCH_DIR)/bench/bench_driver; fi

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer. Findings in code
# outside ours are suppressed in tests/sanitizers/, each with its reason.
SANITIZE_DIR ?= build-sanitize
# new_delete_type_mismatch=0: Qt WebEngine's bundled engine deletes objects through pointers to a
# base of another size (seen only inside libQt6WebEngineCore), and ASan cannot suppress that by
# library.
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:strict_init_order=1:new_delete_type_mismatch=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=$(CURDIR)/tests/sanitizers/ubsan.supp

test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZV_SANITIZE=ON $(LAUNCHER) >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

# Fuzzing with libFuzzer for FUZZ_SECONDS per target (not part of CI). New inputs go to the build
# folder; an input that breaks a check is written to tests/fuzz/regressions/, where the test
# suite replays it from then on.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
		-DZV_SANITIZE=ON -DZV_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_listfile fuzz_search
	@for target in listfile search; do \
		mkdir -p $(FUZZ_DIR)/corpus/$$target; \
		$(FUZZ_DIR)/tests/fuzz_$$target -max_total_time=$(FUZZ_SECONDS) \
			-artifact_prefix=$(CURDIR)/tests/fuzz/regressions/$$target/ \
			$(FUZZ_DIR)/corpus/$$target tests/fuzz/seeds/$$target || exit 1; \
	done

# Every tracked C++ source as the project's .clang-format lays it out (CI checks it).
format-check:
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
