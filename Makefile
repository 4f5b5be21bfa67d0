# Quick start: `make run` builds and starts the client; `make test` installs what is
# missing, builds and runs every test under Wine.
BUILD ?= build
JOBS ?= 2

.PHONY: all deps configure build test run bench clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: build
	scripts/with-display ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

run: build
	scripts/wine-run $(BUILD)/bin/Tarnwick.exe

bench: build
	scripts/with-display scripts/run-benchmarks $(BUILD)/bench

clean:
	rm -rf $(BUILD)
