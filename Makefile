# Front door: `make run` and `make test` do all set-up on a fresh Debian machine.
JOBS    ?= $(shell nproc)
BUILD   ?= build
ASAN    ?= build-asan
FUZZ    ?= build-fuzz
TSAN    ?= build-tsan
CMAKE_FLAGS ?=

.PHONY: all setup configure build run test test-asan test-tsan bench fuzz-smoke clean

all: build

setup:
	@scripts/setup

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: setup $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-main $(BUILD)

test: build
	cd $(BUILD) && ctest -LE gui -j $(JOBS) --output-on-failure --timeout 600
	# Window tests share one display, whose focus and clipboard they use: one at a time. The
	# screen holds the planner at its largest tested size.
	cd $(BUILD) && xvfb-run -a -s "-screen 0 1920x1200x24" ctest -L gui -j 1 --output-on-failure --timeout 600 --no-tests=ignore

$(ASAN)/build.ninja:
	cmake -S . -B $(ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCW_SANITIZE=ON -DCW_GUI=OFF $(CMAKE_FLAGS)

test-asan: setup $(ASAN)/build.ninja
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest -LE 'gui|bench' -j $(JOBS) --output-on-failure --timeout 900

$(TSAN)/build.ninja:
	cmake -S . -B $(TSAN) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCW_TSAN=ON -DCW_GUI=OFF $(CMAKE_FLAGS)

# Only the code that runs threads of its own: the session transports and sessions, whose
# callbacks run on them, and the database build, which compiles areas side by side.
test-tsan: setup $(TSAN)/build.ninja
	cmake --build $(TSAN) -j $(JOBS) --target tsan_tests
	cd $(TSAN) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest -L '^(dplay|multiplayer|threads)$$' -LE 'gui|bench|fuzz' -j $(JOBS) --output-on-failure --timeout 900

bench: build
	@scripts/run-bench $(BUILD)

$(FUZZ)/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCW_FUZZ=ON -DCW_SANITIZE=ON -DCW_GUI=OFF $(CMAKE_FLAGS)

fuzz-smoke: setup $(FUZZ)/build.ninja
	cmake --build $(FUZZ) -j $(JOBS)
	@scripts/fuzz-smoke $(FUZZ) $${FUZZ_SECONDS:-30}

clean:
	rm -rf $(BUILD) $(ASAN) $(FUZZ) $(TSAN)
