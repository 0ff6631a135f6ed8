# Front door over CMake.
#
#   make            the release program, build/kesmor (needs make, CMake, a C++20 compiler,
#                   libutf8proc and OpenSSL 3; installs nothing, needs no root)
#   make install    it, and the man page, into $(PREFIX) (DESTDIR is respected)
#   make check      lint, the fuzz corpora, then every test on a build with sanitizers (build/check),
#                   the Debian package's among them; warnings are errors
#   make lint       clang-format, the include check and clang-tidy over the sources
#   make deb        the Debian package, build/deb/kesmor_VERSION_ARCH.deb, checked by lintian
#   make fuzz       each fuzz target for FUZZ_SECONDS (build/fuzz, clang)
#   make demo       the program on a real Gopher server serving demo/gopherhole on a loopback port
#   make bench      micro and end-to-end benchmarks on a release build in build/bench
#   make storm      storms of new seeds for SECONDS (default 60) on the sanitized build; each
#                   failing one is kept in build/storm/storm-SEED.txt
#   make storm-replay FILE=...   runs a kept storm again (INVARIANTS=all or a hex mask turns on
#                   checks the fixed set leaves off)
#   make soak       browses the demo on the real server for VISITS page visits (default 10000),
#                   checking memory and descriptors
#
# Every target but `make` and `make install` first installs the Debian packages it needs through
# scripts/bootstrap.sh (as root; otherwise it prints the command).
PREFIX ?= /usr/local
JOBS ?= 2
FUZZ_SECONDS ?= 60
SECONDS ?= 60
VISITS ?= 10000
STORM_TESTS = build/check/tests/kesmor_storm_tests
export JOBS

# libFuzzer needs clang, so the fuzz targets live in a build tree of their own.
FUZZ_CONFIGURE = cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ \
	-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESMOR_FUZZ=ON -DKESMOR_TESTS=OFF -DKESMOR_WERROR=ON
# The compile database of this tree is what clang-tidy reads.
CHECK_CONFIGURE = cmake -S . -B build/check -DCMAKE_BUILD_TYPE=Debug -DKESMOR_SANITIZE=ON \
	-DKESMOR_TESTS=ON -DKESMOR_WERROR=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON

.PHONY: all check lint install deb demo fuzz bench storm storm-build storm-replay soak clean

# Only the program; the tests are built and run by `make check`, in a tree of their own.
all:
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKESMOR_TESTS=OFF
	cmake --build build -j$(JOBS) --target kesmor

install: all
	DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)"

check:
	@bash scripts/bootstrap.sh check
	$(CHECK_CONFIGURE)
	bash scripts/lint.sh build/check
	$(FUZZ_CONFIGURE)
	cmake --build build/fuzz -j$(JOBS)
	cd build/fuzz && ctest --output-on-failure -j$(JOBS)
	cmake --build build/check -j$(JOBS)
	cd build/check && ctest --output-on-failure -j$(JOBS)

lint:
	@bash scripts/bootstrap.sh check
	$(CHECK_CONFIGURE)
	bash scripts/lint.sh build/check

deb:
	@bash scripts/bootstrap.sh deb
	deb=$$(bash scripts/deb.sh build/deb) && lintian --fail-on error "$$deb" && echo "$$deb"

demo:
	@bash scripts/bootstrap.sh demo
	$(MAKE) all
	@bash scripts/demo.sh

fuzz:
	@bash scripts/bootstrap.sh fuzz
	$(FUZZ_CONFIGURE)
	cmake --build build/fuzz -j$(JOBS)
	bash fuzz/run.sh build/fuzz $(FUZZ_SECONDS)

storm-build:
	@bash scripts/bootstrap.sh check
	$(CHECK_CONFIGURE)
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
	bash scripts/bench.sh

clean:
	rm -rf build
