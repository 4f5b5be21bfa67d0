# Quick start: `make run` builds and starts the client with its demo service; `make test`
# installs what is missing, builds and runs every test under Wine.
BUILD ?= build
JOBS ?= 2

.PHONY: all deps configure build other test run bench package clean

all: build

deps:
	@scripts/install-deps

# 32-bit Windows wherever 32-bit code runs; 64-bit on machines that run 64-bit code only
# (scripts/wine-env.sh). A build folder made for the other one is made anew.
configure: deps
	@scripts/configure $(BUILD)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# The other architecture's client and tools, as far as they ship, in $(BUILD)-win32 (or
# -win64): the client is a 32-bit program even where only its 64-bit build can run.
other: configure
	@scripts/build-other $(BUILD) $(JOBS) >/dev/null

# Ends with how long each step took, whether the tests passed or not.
test:
	@log=$$(mktemp); trap 'rm -f "$$log"' EXIT; \
	scripts/timed "$$log" installing $(MAKE) --no-print-directory deps && \
	scripts/timed "$$log" building $(MAKE) --no-print-directory build && \
	scripts/timed "$$log" "building the other client" $(MAKE) --no-print-directory other && \
	scripts/timed "$$log" testing scripts/with-display ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS); \
	status=$$?; echo "make test took:"; scripts/timed --report "$$log"; exit $$status

# The client against the demo service (demo/), which runs while the client does.
run: build
	scripts/run-demo $(BUILD)

# The zip and the installer of each architecture there is a compiler for, into dist/.
package: build
	@other=$$(scripts/build-other --optional $(BUILD) $(JOBS)) && \
	scripts/package $(BUILD) dist && \
	{ [ -z "$$other" ] || scripts/package "$$other" dist; }

bench: build
	scripts/with-display scripts/run-benchmarks $(BUILD)/bench

clean:
	rm -rf $(BUILD) $(BUILD)-win32 $(BUILD)-win64
