# SPDX-FileCopyrightText: 2026 Tarnwick developers
# SPDX-License-Identifier: MIT
#
# The commands a newcomer needs, on top of the CMake presets:
#   make run      build against Qt 6 and open the window
#   make test     build and run the whole suite against Qt 6 and Qt 5
#   make package  build the Debian package build/tarnwick_<version>_<arch>.deb
#   make demo     open the window on a throwaway Wine prefix, no Wine or game needed
#   make bench    run the benchmarks (each prints its ratios)
# Each installs missing Debian packages first (scripts/install-deps).

.PHONY: all deps build build-qt5 run test test-qt6 test-qt5 package demo bench clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset qt6 >/dev/null
	cmake --build --preset qt6

build-qt5: deps
	cmake --preset qt5 >/dev/null
	cmake --build --preset qt5

run: build
	@if [ -z "$${DISPLAY:-}" ] && [ -z "$${WAYLAND_DISPLAY:-}" ]; then \
	    echo "No display to open the window on; try: xvfb-run make run" >&2; exit 1; fi
	build/tarnwick

test: test-qt6 test-qt5

test-qt6: build
	ctest --preset qt6

test-qt5: build-qt5
	ctest --preset qt5

# `make test` fuzzes the registry file scanner and editor for 45 seconds on one
# core; this runs it longer on every core, e.g. make fuzz FUZZ_SECONDS=3600.
FUZZ_SECONDS = 600
.PHONY: fuzz
fuzz: deps
	fuzz/run.sh build/fuzz $(FUZZ_SECONDS) -fork=$$(nproc)

package: build
	cmake --build --preset qt6 --target package

# A fresh copy of the test fixture whose game settings say 1024 x 768: both
# buttons work on it, and what 保存 wrote is there to read afterwards.
DEMO_PREFIX = $(CURDIR)/build/demo-prefix

demo: build
	@if [ -z "$${DISPLAY:-}" ] && [ -z "$${WAYLAND_DISPLAY:-}" ]; then \
	    echo "No display to open the window on; try: xvfb-run make demo" >&2; exit 1; fi
	@rm -rf "$(DEMO_PREFIX)" && mkdir -p "$(DEMO_PREFIX)"
	@cp tests/data/user-found.reg "$(DEMO_PREFIX)/user.reg"
	@echo "Demo Wine prefix: $(DEMO_PREFIX) (its user.reg is what 保存 changes)"
	WINEPREFIX="$(DEMO_PREFIX)" build/tarnwick

# Each benchmark is an executable that takes the Qt 6 build folder; add new
# ones to the list.
BENCHMARKS = bench/run-startup.py bench/run-store.py

bench: build
	@for benchmark in $(BENCHMARKS); do \
	    echo "== $$benchmark"; $$benchmark build || exit 1; done

clean:
	rm -rf build build-qt5
