# Front door: every target installs what is missing, then builds with CMake and Ninja.
BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
FUZZ_SECONDS ?= 60

.PHONY: all deps build test demo bench fuzz package screenshot test-asan test-tsan clean

all: build

deps:
	@./scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j $(JOBS)

demo: build
	./scripts/demo.sh $(BUILD)

# Renders the real dialog offscreen into docs/screenshot.png.
screenshot: build
	cmake --build $(BUILD) --target screenshot

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTQ37R_BUILD_BENCH=ON -DTQ37R_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	./scripts/bench.sh build-bench

# Each libFuzzer target for FUZZ_SECONDS on a copy of its seed corpus (CI: FUZZ_SECONDS=20).
fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DTQ37R_BUILD_FUZZ=ON -DTQ37R_BUILD_TESTS=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzzers
	./fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

# A Debian package of the Release build, dependencies from dpkg-shlibdeps.
package: deps
	cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTQ37R_BUILD_TESTS=OFF
	cmake --build build-package -j $(JOBS)
	cd build-package && cpack -G DEB

test-asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTQ37R_SANITIZE=address,undefined
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j $(JOBS)

test-tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTQ37R_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j $(JOBS) -L threaded

clean:
	rm -rf $(BUILD) build-bench build-asan build-tsan build-fuzz build-package
