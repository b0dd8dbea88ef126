# make run   : install what is missing, build, start the program
# make test  : install what is missing, build with sanitizers, run the whole suite (the tests
#              of work on several threads also under ThreadSanitizer)
# make bench : build optimised and run the benchmarks
# make fuzz  : build the fuzz targets (clang, libFuzzer) and run each for FUZZ_SECONDS
# make install / make uninstall : for one user, under PREFIX (~/.local by default); PURGE=1 also
#   removes the agenda's data
# make windows      : cross-build the Windows program into build/windows, with its zip and installer
# make test-windows : the same, then run the Windows test suite under wine

JOBS ?= $(shell nproc)
PREFIX ?= $(HOME)/.local
CMAKE_GEN := $(shell command -v ninja >/dev/null 2>&1 && echo -G Ninja)

FUZZ_SECONDS ?= 60

.PHONY: run test bench fuzz bootstrap build-run build-test build-tsan build-bench build-fuzz install \
  uninstall windows test-windows

bootstrap:
	@scripts/bootstrap

build-run: bootstrap
	@cmake -S . -B build/run $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVELO_TESTS=OFF >/dev/null
	@cmake --build build/run -j $(JOBS)

run: build-run
	build/run/bin/tavelo $(ARGS)

build-test: bootstrap
	@cmake -S . -B build/test $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTAVELO_SANITIZE=ON >/dev/null
	@cmake --build build/test -j $(JOBS)

# The work on several threads (chimes in scripted sessions) under ThreadSanitizer: a build of
# its own, of those tests and what they need only.
build-tsan: bootstrap
	@cmake -S . -B build/tsan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTAVELO_TSAN=ON >/dev/null
	@cmake --build build/tsan -j $(JOBS) --target tsan_tests

test: build-test build-tsan
	cd build/test && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)
	cd build/tsan && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

build-bench: bootstrap
	@cmake -S . -B build/bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DTAVELO_TESTS=OFF -DTAVELO_BENCH=ON >/dev/null
	@cmake --build build/bench -j $(JOBS)

bench: build-bench
	@for b in build/bench/bin/bench_*; do echo "== $$b"; $$b $(BENCH_ARGS) || exit 1; done

build-fuzz: bootstrap
	@cmake -S . -B build/fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DTAVELO_FUZZ=ON -DTAVELO_TESTS=OFF >/dev/null
	@cmake --build build/fuzz -j $(JOBS) --target fuzz_targets

fuzz: build-fuzz
	@scripts/fuzz build/fuzz $(FUZZ_SECONDS)

install: build-run
	@scripts/install install build/run/bin "$(PREFIX)"

uninstall:
	@scripts/install uninstall "$(PREFIX)" $(if $(PURGE),purge)

windows:
	@scripts/bootstrap windows
	@deps=$$(JOBS=$(JOBS) scripts/windows-deps | tail -n 1) && \
	  cmake -S . -B build/windows $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DTAVELO_WINDOWS_DEPS=$$deps >/dev/null
	@cmake --build build/windows -j $(JOBS)

test-windows: windows
	JOBS=$(JOBS) scripts/windows-test $(CTEST_ARGS)
	scripts/windows-dist-check
