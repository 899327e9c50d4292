# Everyday commands for those who have make.  On a fresh Debian 12 machine
# (no make there) ./run.sh and ./test.sh are the whole set-up; `make run` and
# `make test` do the same.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench fuzz-smoke clean

all: build

deps:
	bash scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run:
	BUILD=$(BUILD) JOBS=$(JOBS) ./run.sh

test:
	BUILD=$(BUILD) JOBS=$(JOBS) ./test.sh

bench: deps
	cmake -S . -B $(BUILD)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSMUND_BUILD_BENCH=ON -DOSMUND_BUILD_TESTS=OFF
	cmake --build $(BUILD)-bench -j $(JOBS)
	bash scripts/run-bench.sh $(BUILD)-bench

fuzz-smoke: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -G Ninja -DOSMUND_BUILD_FUZZ=ON -DOSMUND_BUILD_TESTS=OFF
	cmake --build $(BUILD)-fuzz -j $(JOBS) --target fuzz_all
	bash scripts/run-fuzz-smoke.sh $(BUILD)-fuzz

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-fuzz
