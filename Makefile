# Thin wrapper over the CMake presets.
PRESET ?= dev
BUILD_DIR := build/$(PRESET)

.PHONY: all deps run-deps configure build run test lint bench package clean

all: build

deps:
	@bash scripts/install-deps.sh

# What the window alone needs: the first window comes without the test tools.
run-deps:
	@bash scripts/install-deps.sh run

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

# The program and what it links, nothing else.
run: run-deps
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) --target levyc
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
	bash scripts/package.sh build/package

lint: configure
	bash scripts/lint.sh $(BUILD_DIR)

clean:
	rm -rf build
