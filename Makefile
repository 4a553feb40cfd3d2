# SPDX-FileCopyrightText: 2026 Tarnwick developers
# SPDX-License-Identifier: MIT
#
# The commands a newcomer needs, on top of the CMake presets:
#   make run      build against Qt 6 and open the window
#   make test     build and run the whole suite against Qt 6 and Qt 5
#   make package  build the Debian package build/tarnwick_<version>_<arch>.deb
# Each installs missing Debian packages first (scripts/install-deps).

.PHONY: all deps build build-qt5 run test test-qt6 test-qt5 package clean

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

package: build
	cmake --build --preset qt6 --target package

clean:
	rm -rf build build-qt5
