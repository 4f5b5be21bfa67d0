# Quick start: `make run` builds and starts the client with its demo service; `make test`
# installs what is missing, builds and runs every test under Wine.
BUILD ?= build
JOBS ?= 2

.PHONY: all deps configure build test run bench package clean

all: build

deps:
	@scripts/install-deps

# 32-bit Windows wherever 32-bit code runs; 64-bit on machines that run 64-bit code only
# (scripts/wine-env.sh). A build folder made for the other one is made anew.
configure: deps
	@scripts/configure $(BUILD)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: build
	scripts/with-display ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

# The client against the demo service (demo/), which runs while the client does.
run: build
	scripts/run-demo $(BUILD)

# The zip and the installer, into dist/.
package: build
	scripts/package $(BUILD) dist

bench: build
	scripts/with-display scripts/run-benchmarks $(BUILD)/bench

clean:
	rm -rf $(BUILD)
