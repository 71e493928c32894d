# The two commands a newcomer needs: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
WIN64_BUILD ?= build-win64
WIN32_BUILD ?= build-win32
JOBS       ?= 2

.PHONY: deps build test test-windows run bench fuzz clean

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVV_CORE_ONLY=ON -DVV_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

# The core, the archives and the packer as Windows code (docs/windows.md):
# installs mingw-w64 and Wine, builds 64- and 32-bit Windows, tests under Wine.
test-windows: build
	@scripts/install-deps --windows
	@cmake -S . -B $(WIN64_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
	       -DVV_HOST_BUILD=$(CURDIR)/$(BUILD) >/dev/null
	@cmake --build $(WIN64_BUILD) -j$(JOBS)
	@cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
	       -DVV_HOST_BUILD=$(CURDIR)/$(BUILD) >/dev/null
	@cmake --build $(WIN32_BUILD) -j$(JOBS)
	scripts/run-windows-tests $(WIN64_BUILD)
	@if [ -x /usr/lib/wine/wine ]; then scripts/run-windows-tests $(WIN32_BUILD); \
	 else echo "32-bit Windows tests not run: 32-bit Wine (wine32:i386) is not installed"; fi

run: build
	@scripts/run-sample $(BUILD)

bench: deps
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DVV_CORE_ONLY=OFF -DVV_BENCH=ON >/dev/null
	@cmake --build $(BENCH_BUILD) -j$(JOBS)
	@scripts/run-bench $(BENCH_BUILD)

fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVV_CORE_ONLY=ON -DVV_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS)
	@scripts/run-fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(WIN64_BUILD) $(WIN32_BUILD)
