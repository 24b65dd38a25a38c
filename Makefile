# The two entry points: `make run` and `make test`. Both install what is missing first.
# `make fuzz` runs the fuzz targets.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# How long `make fuzz` runs each target, in seconds.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = stream_reader workspace preferences

.PHONY: all deps configure build run test fuzz clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@if [ -x $(BUILD_DIR)/tessaro ]; then \
	    $(BUILD_DIR)/tessaro; \
	else \
	    echo "Built $(BUILD_DIR)/tessaro-join (the command-line joiner; run it with --help)."; \
	    echo "The window application is not part of this build yet."; \
	fi

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Each instrumented build has its own folder, configured alike but for its instrumentation:
# $(call configure-in,FOLDER,CMAKE OPTIONS).
comma := ,
configure-in = cmake -S . -B $(1) -DCMAKE_BUILD_TYPE=Debug $(2) >/dev/null

# libFuzzer needs clang; the targets run under AddressSanitizer and UBSan as well.
fuzz:
	@scripts/install-deps.sh fuzz
	@$(call configure-in,build-fuzz,-DCMAKE_CXX_COMPILER=clang++-14 -DTESSARO_FUZZ=ON \
	    -DTESSARO_SANITIZE=address$(comma)undefined)
	@cmake --build build-fuzz -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@scripts/fuzz.sh build-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD_DIR) build-fuzz
