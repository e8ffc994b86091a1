# Set-up and developer commands. `make test` and `make demo` work on a fresh Debian 12.
JOBS ?= $(shell nproc)

.PHONY: all deps build test test-sanitize test-tsan format clean

all: build

deps:
	bash scripts/install-deps.sh

build: deps
	cmake --preset release -DMORVANE_WERROR=$${MORVANE_WERROR:-OFF}
	cmake --build --preset release -j $(JOBS)

test: build
	cd build && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	cd build-sanitize && LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
		ctest --output-on-failure -j $(JOBS) -L 'unit|integration'

test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS)
	cd build-tsan && ctest --output-on-failure -j $(JOBS) -L thread

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-sanitize build-tsan
