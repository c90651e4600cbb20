# Thin wrapper over the CMake presets.
PRESET ?= dev
BUILD_DIR := build/$(PRESET)

.PHONY: all deps run-deps configure build run test quick lint bench package clean

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

# Every test, stage by stage on every core, then the budget: each stage's
# wall time and its ten slowest tests.
test: deps
	bash scripts/test.sh

# The dev tree's quick tests alone, for the everyday loop: no lint, no
# end-to-end tests, no sanitizers, no package.
quick: deps
	bash scripts/test.sh quick

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
