# The two commands a new machine needs: `make run` and `make test`.
# Both install what is missing first (scripts/setup.sh), then configure and build.

.PHONY: all setup build run test asan-test tsan-test bench fuzz screenshot install package clean

# `make install PREFIX=/opt/zarvex DESTDIR=/tmp/stage` installs the build.
PREFIX ?= /usr/local

all: build

setup:
	@scripts/setup.sh

build/default/build.ninja: | setup
	cmake --preset default

build: setup build/default/build.ninja
	cmake --build --preset default

run: build
	@scripts/run.sh

test: build
	ctest --preset default

build/asan/build.ninja: | setup
	cmake --preset asan

asan-test: setup build/asan/build.ninja
	cmake --build --preset asan
	ctest --preset asan

# The byte strings' cross-thread release under ThreadSanitizer (only the
# platform tests are built).
build/tsan/build.ninja: | setup
	cmake --preset tsan

tsan-test: setup build/tsan/build.ninja
	cmake --build --preset tsan
	ctest --preset tsan

bench: build
	scripts/bench.sh

build/fuzz/build.ninja: | setup
	cmake --preset fuzz

fuzz: setup build/fuzz/build.ninja
	cmake --build --preset fuzz
	scripts/fuzz.sh

screenshot: build
	scripts/screenshot.sh

install: build
	DESTDIR=$(DESTDIR) cmake --install build/default --prefix $(PREFIX)

# A Debian package in build/default (CPack; dependencies from dpkg-shlibdeps).
package: build
	cd build/default && cpack -G DEB

clean:
	rm -rf build
