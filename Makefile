# Front door over CMake. `make` builds the release program into build/kesmor;
# `make check` builds with sanitizers and runs every test; `make demo` runs the program on a real
# Gopher server serving demo/gopherhole on a loopback port.
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
	install -d $(DESTDIR)$(PREFIX)/bin $(DESTDIR)$(PREFIX)/share/man/man1
	install -m 755 build/kesmor $(DESTDIR)$(PREFIX)/bin/kesmor
	install -m 644 doc/kesmor.1 $(DESTDIR)$(PREFIX)/share/man/man1/kesmor.1

demo: all
	@bash scripts/demo.sh

clean:
	rm -rf build
