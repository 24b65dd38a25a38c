# The two entry points: `make run` and `make test`. Both install what is missing first.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@$(BUILD_DIR)/tessaro

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# `make install` puts the programs under PREFIX (DESTDIR is honoured for staged installs);
# `make package` builds the Debian package into the build folder.
PREFIX ?= /usr/local
.PHONY: install package

install: build
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX)

package: build
	@cd $(BUILD_DIR) && cpack

clean:
	rm -rf $(BUILD_DIR)
