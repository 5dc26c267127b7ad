# Front door: every target installs what is missing, then builds with CMake and Ninja.
BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
FUZZ_SECONDS ?= 300

.PHONY: all deps deps-linux deps-windows build test demo bench fuzz package screenshot test-asan test-tsan \
	windows test-windows windows-screenshot clean

all: build

# Everything; the Linux and Windows targets each install only their own list.
deps:
	@./scripts/install-deps.sh linux windows

deps-linux:
	@./scripts/install-deps.sh linux

deps-windows:
	@./scripts/install-deps.sh windows

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)

build: deps-linux $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j $(JOBS)

demo: build
	./scripts/demo.sh $(BUILD)

# Renders the real dialog offscreen into docs/screenshot.png.
screenshot: build
	cmake --build $(BUILD) --target screenshot

bench: deps-linux
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTQ37R_BUILD_BENCH=ON -DTQ37R_BUILD_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	./scripts/bench.sh build-bench

# Each libFuzzer target on a copy of its seed corpus, one per core, until 10 M inputs or no new
# path for 30 % of its run, FUZZ_SECONDS at most (fuzz/run.sh).
fuzz: deps-linux
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DTQ37R_BUILD_FUZZ=ON -DTQ37R_BUILD_TESTS=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzzers
	./fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

# A Debian package of the Release build, dependencies from dpkg-shlibdeps; its AppStream entry
# validated and the package checked by lintian, either failing on any error or warning.
package: deps-linux
	cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTQ37R_BUILD_TESTS=OFF
	cmake --build build-package -j $(JOBS)
	cd build-package && rm -f tq37r-params_*.deb && cpack -G DEB
	appstreamcli validate --no-net build-package/metainfo/*.metainfo.xml
	lintian --fail-on error,warning --info build-package/tq37r-params_*.deb

test-asan: deps-linux
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTQ37R_SANITIZE=address,undefined
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j $(JOBS)

test-tsan: deps-linux
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTQ37R_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j $(JOBS) -L threaded

# The Windows program, cross-built with mingw-w64: dist/windows/tq37r-params.exe and a zip.
WINBUILD ?= build-windows

$(WINBUILD)/build.ninja:
	cmake -S . -B $(WINBUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
		-DCMAKE_BUILD_TYPE=Release

windows: deps-windows $(WINBUILD)/build.ninja
	cmake --build $(WINBUILD) -j $(JOBS) --target windows-dist

# Its tests under Wine: the platform-neutral suites, the Win32 serial suite against ptys and the
# window's suite under Xvfb, on a fake port and on a pty.
test-windows: windows
	cmake --build $(WINBUILD) -j $(JOBS)
	./scripts/wine/wine-session.sh $(WINBUILD) ctest --output-on-failure --no-tests=error --timeout 300 -j $(JOBS)

# The real program under Wine against the Linux build's simulator, its grid filled by the first
# read, into docs/windows-screenshot.png.
windows-screenshot: windows build
	cmake --build $(WINBUILD) --target modem_status_shim
	./scripts/wine/wine-session.sh $(WINBUILD) $(CURDIR)/scripts/wine/windows-screenshot.sh \
		$(abspath $(BUILD))/sim/tq37r-sim $(CURDIR)/docs/windows-screenshot.png

clean:
	rm -rf $(BUILD) build-bench build-asan build-tsan build-fuzz build-package $(WINBUILD) dist
