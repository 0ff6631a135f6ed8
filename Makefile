# Front door over CMake. `make` builds the release program into build/kesmor;
# `make check` replays the fuzz corpora, then builds with sanitizers and runs every test; `make fuzz`
# runs each fuzz target for FUZZ_SECONDS; `make demo` runs the program on a real
# Gopher server serving demo/gopherhole on a loopback port; `make bench` runs the micro and the
# end-to-end benchmarks on a release build in build/bench (not part of `make check`).
# `make storm SECONDS=N` runs storms of new seeds for N seconds on the sanitized build and keeps
# each failing one in build/storm/storm-SEED.txt; `make storm-replay FILE=...` runs one again
# (INVARIANTS=all or a hex mask turns on checks the fixed set leaves off). `make soak` browses the
# demo on the real server for VISITS page visits (default 10000), checking memory and descriptors.
PREFIX ?= /usr/local
JOBS ?= 2
FUZZ_SECONDS ?= 60
VISITS ?= 10000
SECONDS ?= 60
VISITS ?= 10000
STORM_TESTS = build/check/tests/kesmor_storm_tests
# libFuzzer needs clang, so the fuzz targets live in a build tree of their own.
FUZZ_CONFIGURE = cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ \
	-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESMOR_FUZZ=ON -DKESMOR_TESTS=OFF

.PHONY: all bootstrap check install demo fuzz bench storm storm-build storm-replay soak clean

# Only the program: the tests are built and run by `make check`, in a tree of their own.
all: bootstrap
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
	cmake --build build -j$(JOBS) --target kesmor

bootstrap:
	@bash scripts/bootstrap.sh

check: bootstrap
	$(FUZZ_CONFIGURE)
	cmake --build build/fuzz -j$(JOBS)
	cd build/fuzz && ctest --output-on-failure -j$(JOBS)
	cmake -S . -B build/check -DCMAKE_BUILD_TYPE=Debug -DKESMOR_SANITIZE=ON
	cmake --build build/check -j$(JOBS)
	cd build/check && ctest --output-on-failure -j$(JOBS)

install: all
	install -d $(DESTDIR)$(PREFIX)/bin $(DESTDIR)$(PREFIX)/share/man/man1
	install -m 755 build/kesmor $(DESTDIR)$(PREFIX)/bin/kesmor
	install -m 644 doc/kesmor.1 $(DESTDIR)$(PREFIX)/share/man/man1/kesmor.1

demo: all
	@bash scripts/demo.sh

fuzz: bootstrap
	$(FUZZ_CONFIGURE)
	cmake --build build/fuzz -j$(JOBS)
	bash fuzz/run.sh build/fuzz $(FUZZ_SECONDS)

storm-build: bootstrap
	cmake -S . -B build/check -DCMAKE_BUILD_TYPE=Debug -DKESMOR_SANITIZE=ON
	cmake --build build/check -j$(JOBS) --target kesmor kesmor_storm_tests

storm: storm-build
	mkdir -p build/storm
	KESMOR_STORM_SECONDS=$(SECONDS) KESMOR_STORM_OUT=$(CURDIR)/build/storm \
		KESMOR_STORM_INVARIANTS=$(INVARIANTS) $(STORM_TESTS) --gtest_filter='StormNew.*'

storm-replay: storm-build
	KESMOR_STORM_REPLAY=$(abspath $(FILE)) KESMOR_STORM_INVARIANTS=$(INVARIANTS) \
		$(STORM_TESTS) --gtest_filter='StormReplay.*'

soak: storm-build
	cmake --build build/check -j$(JOBS) --target kesmor_soak_tests
	KESMOR_SOAK_VISITS=$(VISITS) build/check/tests/kesmor_soak_tests

bench:
	JOBS=$(JOBS) bash scripts/bench.sh

clean:
	rm -rf build
