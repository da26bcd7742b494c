# A user needs `make run`, `make test` and `make install`; the rest serve developers.
# Every target installs what is missing first (tools/bootstrap.sh does nothing when all is there).

# The build's own progress lines, without make's notes on every folder it enters.
MAKEFLAGS   += --no-print-directory
JOBS        ?= $(shell nproc 2>/dev/null || echo 2)
BUILD       ?= build
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=
PREFIX      ?= $(HOME)/.local

.PHONY: all bootstrap bootstrap-tests build player run test install uninstall bench sanitize fuzz screenshot clean

all: build

bootstrap:
	@bash tools/bootstrap.sh

# The sound servers the tests start privately, besides what the build needs.
bootstrap-tests:
	@bash tools/bootstrap.sh --tests

build: bootstrap
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# The player and its clips alone, so it starts in a minute or two on a fresh checkout; the
# tests are built by `make test`.
player: bootstrap
	@echo "Building the player in $(BUILD)/ (the first time takes a minute or two)..."
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) --target zor3dplayer -j $(JOBS)

run: player
	@bash tools/run.sh $(BUILD)

test: bootstrap-tests build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# A desktop application for this user, no root needed: the installed folder is the user's.
install: build
	@cmake --install $(BUILD) --prefix "$(PREFIX)"
	@case ":$$PATH:" in *":$(PREFIX)/bin:"*) ;; \
	  *) echo "Add $(PREFIX)/bin to your PATH to start the player as zor3dplayer." ;; esac

uninstall: bootstrap
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	@cmake -DCMAKE_INSTALL_PREFIX="$(PREFIX)" -P $(BUILD)/desktop/uninstall.cmake

bench: bootstrap
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DZOR_BENCH=ON -DZOR_TESTS=OFF >/dev/null
	@cmake --build build-bench -j $(JOBS)
	@bash tools/run_benches.sh build-bench

sanitize: bootstrap-tests
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZOR_SANITIZE=ON >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)
	@cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZOR_TSAN=ON >/dev/null
	@cmake --build build-tsan -j $(JOBS)
	@cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tools/tsan.supp" ctest --output-on-failure -L threaded -j $(JOBS)

fuzz: bootstrap
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZOR_FUZZ=ON >/dev/null
	@cmake --build build-fuzz -j $(JOBS)
	@bash tools/run_fuzzers.sh build-fuzz $(FUZZ_SECONDS)

# The README's picture: the real window on a virtual X screen.
screenshot: build
	@bash tools/screenshot.sh $(BUILD) docs/screenshot.png

clean:
	rm -rf build build-bench build-asan build-tsan build-fuzz
