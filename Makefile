# The one front door. `make demo` shows the demo slideshow; `make test` runs every test.
SHELL := /bin/bash
JOBS ?= $(shell nproc)

.PHONY: all deps configure build demo test unit test-dev test-asan bench fuzz windows package format clean

all: build

deps:
	@scripts/install-deps core qt

# Configures once; later builds re-run CMake by themselves when a CMakeLists.txt changed.
configure: deps
	@[[ -f build/dev/build.ninja ]] || cmake --preset dev >/dev/null

build: configure
	@cmake --build --preset dev -j $(JOBS)

# Only the two programs the demo runs; the demo folder is remade only when qv-make changed.
demo: configure
	@cmake --build --preset dev -j $(JOBS) --target qv qv-make
	@scripts/run-demo

test: deps
	@scripts/check-format
	@scripts/install-deps e2e windows package
	@$(MAKE) --no-print-directory test-dev test-asan

# The unit tests alone: no Windows cross-build, no end-to-end runs.
unit: build
	@ctest --preset dev -j $(JOBS) -L unit --output-on-failure

format:
	@scripts/check-format --fix

# The Windows zip and the Debian package are made first: their tests read them.
test-dev: windows package
	@cmake --preset dev >/dev/null
	@cmake --build --preset dev -j $(JOBS)
	@ctest --preset dev -j $(JOBS)

test-asan:
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS) -L unit

bench:
	@scripts/install-deps core qt bench e2e
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)
	@scripts/run-benchmarks

# qv.exe, and the zip a Windows user unpacks: Demo.scr and velloran/Demo/ with install.exe inside.
windows:
	@scripts/install-deps core windows && scripts/build-windows

# build/vistrelle_<version>_amd64.deb
package:
	@scripts/install-deps core qt package && scripts/build-package

clean:
	rm -rf build

fuzz:
	@scripts/run-fuzz
