# Thin wrapper over the CMake presets.
PRESET ?= dev
BUILD_DIR := build/$(PRESET)

.PHONY: all deps configure build run test clean

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
	ctest --preset $(PRESET)

clean:
	rm -rf build
