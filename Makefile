# Everyday commands for those who have make.  On a fresh Debian 12 machine
# (no make there) ./run.sh and ./test.sh are the whole set-up; `make run` and
# `make test` do the same.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench fuzz-smoke tsan-smoke clean

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

# The loading tests (worker pool, thumbnail control) under the thread
# sanitizer, in a build folder of their own.
tsan-smoke: deps
	cmake -S . -B $(BUILD)-tsan -G Ninja -DOSMUND_SANITIZE_THREAD=ON
	cmake --build $(BUILD)-tsan -j $(JOBS) --target morvik7thumb_test mv7_threads_test
	cd $(BUILD)-tsan && ctest -L tsan --output-on-failure

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-fuzz $(BUILD)-tsan
