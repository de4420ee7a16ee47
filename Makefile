# The two commands of the README. Both set up a fresh Debian machine first.
PRESET ?= default

.PHONY: all setup configure build test run bench clean

all: build

setup:
	@scripts/setup-debian

configure: setup
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET)

# Every test, then every test again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
test: build
	@ctest --preset $(PRESET)
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan

run: build
	@PRESET=$(PRESET) scripts/run-window

# Timing and memory of the whole run on generated files (not part of 'test').
bench: build
	@build/$(PRESET)/bench/celestra_bench

clean:
	rm -rf build
