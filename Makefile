# The two entry points: `make run` and `make test`. Both install what is missing first.
# `make sanitize` runs the tests under the sanitizers, `make fuzz` runs the fuzz targets,
# `make big-tests` the tests with gigabyte inputs and `make translations` updates the .ts files.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# How long `make fuzz` runs each target, in seconds.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = stream_reader seam workspace preferences folder_walk chapter_file \
	copied_tags split
# CMake's makefiles call make within make: without this, every step says which folder it enters
# and leaves.
MAKEFLAGS += --no-print-directory

.PHONY: all deps configure build run test translations sanitize asan tsan fuzz big-tests clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DBUILD_TESTING=ON >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The window alone: the tests, fuzz targets and benchmarks wait for `make test`.
run: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target tessaro
	@$(BUILD_DIR)/tessaro

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Gathers the texts marked for translation in the code into translations/*.ts anew, keeping the
# translations already made, for Qt Linguist; the build makes the .qm files from them.
translations: configure
	@cmake --build $(BUILD_DIR) --target update_translations

# `make install` puts the programs under PREFIX (DESTDIR is honoured for staged installs);
# `make package` builds the Debian package into the build folder.
PREFIX ?= /usr/local
.PHONY: install package

install: build
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX)

package: build
	@cd $(BUILD_DIR) && cpack

# Each instrumented build has its own folder, configured alike but for its instrumentation:
# $(call configure-in,FOLDER,CMAKE OPTIONS).
comma := ,
configure-in = cmake -S . -B $(1) -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON $(2) >/dev/null

# The whole suite under AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer; any
# report fails the test that meets it. Only the check of Help in the installed window is left
# out: it connects to a real X server, and libxkbcommon-x11 reads past a buffer of its own
# there (in strndup, while Qt loads the keymap), which is not ours to mend.
asan: deps
	@$(call configure-in,build-asan,-DTESSARO_SANITIZE=address$(comma)undefined)
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && QT_QPA_PLATFORM=offscreen \
	    ASAN_OPTIONS=detect_stack_use_after_return=1:strict_string_checks=1 \
	    UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --output-on-failure -j $(JOBS) -E '^help_from_menu_tests$$'

# The merge thread, the frame messages and the core under ThreadSanitizer. Qt is not built with
# it, so it cannot see Qt's own locking: ignore_noninstrumented_modules drops what the runtime's
# interceptors (new, delete, memcpy) record for calls made from inside Qt, such as Qt's thread
# pool handing tasks to its threads. Locks taken through the interceptors still count, and every
# access made by our code is checked. QProcess starts its children with vfork's semantics, which
# the runtime takes for a fork of the test itself: die_after_fork=0 lets the test go on making
# threads, as every child here execs at once.
tsan: deps
	@$(call configure-in,build-tsan,-DTESSARO_SANITIZE=thread)
	@cmake --build build-tsan -j $(JOBS) --target core_tests command_tests listening_tests \
	    chapter_view_tests drag_tests frame_fault_tests bad_input_tests fact_reader_tests \
	    split_command_tests
	@cd build-tsan && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS=ignore_noninstrumented_modules=1:die_after_fork=0 \
	    ctest --output-on-failure -j $(JOBS) -L tsan

sanitize: asan tsan

# libFuzzer needs clang; the targets run under AddressSanitizer and UBSan as well.
fuzz:
	@scripts/install-deps.sh fuzz
	@$(call configure-in,build-fuzz,-DCMAKE_CXX_COMPILER=clang++-14 -DTESSARO_FUZZ=ON \
	    -DTESSARO_SANITIZE=address$(comma)undefined)
	@cmake --build build-fuzz -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@scripts/fuzz.sh build-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# Gigabyte inputs, minutes long; TESSARO_BIG_DIR chooses where they are generated.
big-tests: build
	@$(BUILD_DIR)/tests/big_input_tests

clean:
	rm -rf $(BUILD_DIR) build-asan build-tsan build-fuzz
