# Thin wrapper over the CMake presets.
PRESET ?= dev
BUILD_DIR := build/$(PRESET)

.PHONY: all deps configure build run test lint bench package clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

run: build
	./$(BUILD_DIR)/levyc

test: build
	bash scripts/lint.sh $(BUILD_DIR)
	ctest --preset $(PRESET)
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

bench: deps
	cmake --preset release
	cmake --build --preset release
	bash scripts/bench.sh build/release

package: deps
	cmake --preset release
	cmake --build --preset release
	cd build/release && cpack -G DEB

lint: configure
	bash scripts/lint.sh $(BUILD_DIR)

clean:
	rm -rf build
