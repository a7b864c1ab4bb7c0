# The one front door. `make demo` shows the demo slideshow; `make test` runs every test.
SHELL := /bin/bash
JOBS ?= $(shell nproc)

.PHONY: all deps build demo test unit test-dev test-asan bench fuzz windows format clean

all: build

deps:
	@scripts/install-deps core qt

build: deps
	@cmake --preset dev >/dev/null
	@cmake --build --preset dev -j $(JOBS)

demo: build
	@scripts/run-demo

test: deps
	@scripts/install-deps e2e windows
	@$(MAKE) --no-print-directory test-dev test-asan

# The unit tests alone: no Windows cross-build, no end-to-end runs.
unit: build
	@ctest --preset dev -j $(JOBS) -L unit --output-on-failure

format:
	@scripts/check-format --fix

test-dev: windows
	@cmake --preset dev >/dev/null
	@cmake --build --preset dev -j $(JOBS)
	@ctest --preset dev -j $(JOBS)

test-asan:
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS) -L unit

bench:
	@scripts/install-deps core bench
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)
	@scripts/run-benchmarks

windows:
	@scripts/install-deps windows && scripts/build-windows

clean:
	rm -rf build

fuzz:
	@scripts/run-fuzz
