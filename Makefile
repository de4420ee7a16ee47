# The two commands of the README. Both set up a fresh Debian machine first.
PRESET ?= default

.PHONY: all setup configure build test run clean

all: build

setup:
	@scripts/setup-debian

configure: setup
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET)

test: build
	@ctest --preset $(PRESET)

run: build
	@echo "The window comes in a later release; for now 'make test' checks the core library."

clean:
	rm -rf build
