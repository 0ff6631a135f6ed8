# Front door over CMake. `make` builds the release program into build/kesmor;
# `make check` builds with sanitizers and runs every test.
PREFIX ?= /usr/local
JOBS ?= 2

.PHONY: all bootstrap check install demo fuzz bench clean

all: bootstrap
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
	cmake --build build -j$(JOBS)

bootstrap:
	@bash scripts/bootstrap.sh

check: bootstrap
	cmake -S . -B build/check -DCMAKE_BUILD_TYPE=Debug -DKESMOR_SANITIZE=ON
	cmake --build build/check -j$(JOBS)
	cd build/check && ctest --output-on-failure -j$(JOBS)

install: all
	install -d $(DESTDIR)$(PREFIX)/bin
	install -m 755 build/kesmor $(DESTDIR)$(PREFIX)/bin/kesmor

clean:
	rm -rf build
