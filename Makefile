# Zelmora: the README's commands. Every target installs what is missing first.
JOBS ?= $(shell nproc)
BUILD_TYPE ?= RelWithDebInfo
FUZZ_SECONDS ?= 30
WERROR := $(if $(CI),ON,OFF)
CCACHE := $(shell command -v ccache)
CMAKE_COMMON := -DZELMORA_WERROR=$(WERROR) $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE) -DCMAKE_C_COMPILER_LAUNCHER=$(CCACHE))

.PHONY: all deps build test asan tsan bench fuzz run golden clean format check-format install package check-package

all: build

deps:
	@scripts/install-deps

# The benchmark programs are built (not run) with everything else, so that a
# change that breaks them fails here and not only at the next `make bench`.
build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DZELMORA_BENCH=ON $(CMAKE_COMMON)
	cmake --build build -j $(JOBS)

test: build
	ctest --test-dir build --output-on-failure -j $(JOBS) --timeout 300

# Address and undefined-behaviour sanitizers over every test.
asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZELMORA_SANITIZE=address,undefined $(CMAKE_COMMON)
	cmake --build build-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS) --timeout 600

# ThreadSanitizer over the Qt-free tests.
tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DZELMORA_SANITIZE=thread -DZELMORA_WITH_QT=OFF $(CMAKE_COMMON)
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j $(JOBS) --timeout 600

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DZELMORA_BENCH=ON -DBUILD_TESTING=OFF $(CMAKE_COMMON)
	cmake --build build-bench -j $(JOBS)
	scripts/run-benchmarks build-bench

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELMORA_FUZZ=ON -DZELMORA_WITH_QT=OFF -DBUILD_TESTING=OFF $(CMAKE_COMMON)
	cmake --build build-fuzz -j $(JOBS)
	scripts/run-fuzzers build-fuzz $(FUZZ_SECONDS)

# Regenerates the reviewed decoder output of the receiver logs.
golden: build
	scripts/update-golden build

run: build
	scripts/run-zelmora build

# Installs Zelmora, its tools, the menu entry and the icon under /usr/local
# (PREFIX=... for another place).
PREFIX ?= /usr/local
install: build
	cmake --install build --prefix $(PREFIX)

# The Debian package (build/zelmora_<version>_<arch>.deb), installing under /usr.
package: build
	cd build && cpack -G DEB

# Installs the package, starts Zelmora from its menu entry, removes the package.
check-package: package
	scripts/check-package build

# The house style (.clang-format) on every C++ file of the repository;
# check-format also checks that ARCHITECTURE.md names every built folder.
format: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

check-format: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
	scripts/check-architecture

clean:
	rm -rf build build-asan build-tsan build-bench build-fuzz
