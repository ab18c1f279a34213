# SPDX-License-Identifier: MIT
# Set-up, build, run and test on a fresh Debian 12 machine. Every target installs what is missing first.
BUILD       ?= build
BUILD_ASAN  ?= build-asan
BUILD_TSAN  ?= build-tsan
BUILD_FUZZ  ?= build-fuzz
JOBS        ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=
PREFIX      ?= /usr/local

.PHONY: all deps build run test install package test-asan test-tsan fuzz ci format clean

all: build

deps:
	@./scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a desktop session."; \
	  exit 1; \
	fi
	$(BUILD)/bin/brandel2

test: build package
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Installs the built tree under $(PREFIX): bin/brandel2, share/brandel2, the launcher, icons and
# manual page (writing to /usr/local needs root: sudo make install).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian packages, built by dpkg-buildpackage: $(BUILD)/brandel2_<version>_<arch>.deb, and
# libwavemix1, libwavemix-dev and wavemix-tools likewise.
package: deps
	./scripts/build-packages.sh $(BUILD) $(JOBS) "$(CMAKE_FLAGS)"

# The same tests under AddressSanitizer + UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRANDEL_SANITIZE=address -DBRANDEL_BENCH=OFF
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(BUILD_ASAN) --output-on-failure -j $(JOBS) -LE no-sanitizer

# The threaded audio back ends under ThreadSanitizer.
test-tsan: deps
	cmake -S . -B $(BUILD_TSAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRANDEL_SANITIZE=thread -DBRANDEL_BENCH=OFF
	cmake --build $(BUILD_TSAN) -j $(JOBS)
	TSAN_OPTIONS=suppressions=$(CURDIR)/tests/tsan.supp:halt_on_error=1 \
	  ctest --test-dir $(BUILD_TSAN) --output-on-failure -j $(JOBS) -L threads

# Each libFuzzer target for a bounded time under ASan + UBSan; a finding fails.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRANDEL_FUZZ=ON -DBRANDEL_BENCH=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzz_targets
	./fuzz/run-all.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

# Everything CI runs.
ci: test test-asan test-tsan fuzz

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN) $(BUILD_FUZZ)
