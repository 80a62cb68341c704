# Two entry points that work on a fresh Debian 12 machine:
#   make run   - installs what is missing, builds, starts the program
#   make test  - installs what is missing, builds, runs every test
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

PACKAGES := build-essential cmake pkg-config qt6-base-dev qt6-multimedia-dev libpulse-dev \
            libsndfile1-dev libsoxr-dev libebur128-dev libgtest-dev libbenchmark-dev pulseaudio \
            pulseaudio-utils xvfb fonts-noto-cjk sox desktop-file-utils appstream \
            open-jtalk open-jtalk-mecab-naist-jdic hts-voice-nitech-jp-atr503-m001 bash-completion \
            cmark help2man
# What checks the Debian package (make package, make test-package).
PACKAGE_CHECK_PACKAGES := lintian

# The sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer) of the whole test suite.
SANITIZE_BUILD_DIR ?= build-sanitize
SANITIZE_ENV := ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The fuzzers: clang with libFuzzer, each run FUZZ_SECONDS seconds.
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_PACKAGES := clang libclang-rt-14-dev


# The Windows cross build (kotar-cli, the core and its tests; no Qt) and its tests under Wine.
WINDOWS_BUILD_DIR ?= build-windows
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 dpkg-dev

.PHONY: all deps configure build test run clean format windows test-windows deb package test-package \
        test-sanitize fuzz

all: build

deps:
	@./scripts/install-deps.sh $(PACKAGES)

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: $(BUILD_DIR)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	./scripts/run-tests.sh $(BUILD_DIR)

run: build
	@./scripts/start-program.sh $(BUILD_DIR)

# The Debian package, build/kotar_<version>_amd64.deb.
DEB = $(BUILD_DIR)/kotar_$$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' \
          $(BUILD_DIR)/CMakeCache.txt)_amd64.deb
deb: build
	cd $(BUILD_DIR) && cpack -G DEB

# The package checked unpacked, and by lintian.
package: deb
	@./scripts/install-deps.sh $(PACKAGE_CHECK_PACKAGES)
	./scripts/check-package.sh $(DEB)

# The same checks, then installed on this machine, started from its menu entry and removed
# (root); then an upgrade from an older version, which keeps the user's data.
test-package: deb
	@./scripts/install-deps.sh $(PACKAGE_CHECK_PACKAGES)
	./scripts/check-package.sh --install $(DEB)
	./scripts/test-upgrade.sh $(DEB)

test-sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOTAR_SANITIZE=ON \
	    -DKOTAR_BUILD_BENCH=OFF
	cmake --build $(SANITIZE_BUILD_DIR) -j $(JOBS)
	$(SANITIZE_ENV) ./scripts/run-tests.sh $(SANITIZE_BUILD_DIR)

fuzz: deps
	@./scripts/install-deps.sh $(FUZZ_PACKAGES)
	cmake -S . -B $(FUZZ_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOTAR_FUZZ=ON \
	    -DCMAKE_CXX_COMPILER=clang++ -DBUILD_TESTING=OFF \
	    -DKOTAR_BUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS) --target kotar_fuzzers
	./scripts/run-fuzzers.sh $(FUZZ_BUILD_DIR) $(FUZZ_SECONDS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

windows: deps
	@./scripts/install-deps.sh $(WINDOWS_PACKAGES)
	JOBS=$(JOBS) ./scripts/windows-deps.sh $(WINDOWS_BUILD_DIR)
	JOBS=$(JOBS) ./scripts/windows-openjtalk.sh >/dev/null
	openjtalk=$$(./scripts/windows-openjtalk.sh | tail -n 1) && \
	cmake -S . -B $(WINDOWS_BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DKOTAR_WINDOWS_DEPS=$(abspath $(WINDOWS_BUILD_DIR))/deps/prefix -DKOTAR_BUILD_GUI=OFF \
	    -DKOTAR_OPENJTALK_DIR="$$openjtalk"
	cmake --build $(WINDOWS_BUILD_DIR) -j $(JOBS)

# The simulator and the Wine system tests come from the Linux build (only what they need).
test-windows: windows configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target kotar-devsim kotar-cli windows_system_tests
	./scripts/test-windows.sh $(WINDOWS_BUILD_DIR) $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_BUILD_DIR) $(FUZZ_BUILD_DIR) $(WINDOWS_BUILD_DIR)
