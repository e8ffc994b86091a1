# Set-up and developer commands. `make test` works on a fresh Debian 12 (it installs what it needs).
JOBS ?= $(shell nproc)

.PHONY: all deps build demo screenshots run test test-sanitize test-tsan fuzz-smoke format clean examples bench \
	install package

all: build

deps:
	bash scripts/install-deps.sh

build: deps
	cmake --preset release -DMORVANE_WERROR=$${MORVANE_WERROR:-OFF}
	cmake --build --preset release -j $(JOBS)

# Every example's animation into out/ (and the README's small pictures into docs/examples/).
demo: build
	bash scripts/demo.sh

# The README's picture of the main window with the preview playing an example, taken on a
# virtual display (Xvfb) into docs/screenshots/.
screenshots: build
	bash scripts/screenshots.sh

# Starts the desktop application.
run: build
	build/bin/morvane

test: build
	cd build && ctest --output-on-failure -j $(JOBS)

# Installs the programs, menu entry, file types, icons, thumbnailer, manual pages, help pages and
# examples under PREFIX; DESTDIR, when set, is put in front of every path (staged installs).
PREFIX ?= /usr/local
install: build
	DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)"

# The Debian package build-package/morvane_<version>_<arch>.deb: a Release build with Debian's
# hardening flags, installed under /usr, its library dependencies found by dpkg-shlibdeps, then
# checked by lintian (errors fail the target).
package: deps
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=None -DMORVANE_BUILD_TESTS=OFF \
		-DCMAKE_INSTALL_PREFIX=/usr \
		-DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build build-package -j $(JOBS)
	rm -f build-package/morvane_*.deb
	cd build-package && cpack -G DEB
	lintian --fail-on error --info build-package/morvane_*.deb

test-sanitize: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	cd build-sanitize && LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
		ctest --output-on-failure -j $(JOBS) -L 'unit|integration|thread' -LE gui

# The tests that run code on several threads (label thread), in a ThreadSanitizer build of the
# test programs that hold them (target thread_tests); any report fails the test. The
# suppressions leave out what cairo, pixman and fontconfig hand between threads unseen.
TSAN_FLAGS = halt_on_error=1:second_deadlock_stack=1
test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS) --target thread_tests
	cd build-tsan && TSAN_OPTIONS=suppressions=$(CURDIR)/tests/engine/tsan.supp:$(TSAN_FLAGS) \
		ctest --output-on-failure -j $(JOBS) -L thread

# Each libFuzzer target for FUZZ_SECONDS, in a clang build with ASan and UBSan (build-fuzz/).
FUZZ_SECONDS ?= 60
fuzz-smoke: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_COMPILER=clang++ -DMORVANE_BUILD_TESTS=ON \
		-DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
		-DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
	cmake --build build-fuzz --target fuzz_targets -j $(JOBS)
	bash tests/fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-sanitize build-tsan build-fuzz build-package

# Benchmarks: time per frame of rendering and encoding at 1920x1080, whole runs of morvane-cli
# (end_to_end_bench: wall time and peak memory, one thread against two), then our writers side
# by side with ImageMagick, ffmpeg, gifsicle, gifski and apngasm (installed on first use; the
# table goes to build/peers/results.txt).
bench: deps
	cmake --preset release -DMORVANE_BUILD_BENCH=ON
	cmake --build --preset release -j $(JOBS)
	for b in build/bench/*_bench; do $$b; done
	bash bench/peers.sh

# Remakes the example drawings and projects after a change to tools/make_examples.cpp.
examples: build
	build/bin/make_examples examples
