# SPDX-License-Identifier: GPL-3.0-or-later
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


# The Windows cross build (kotar, kotar-cli, the core and dialog tests, with a Qt for Windows
# built once per machine) and its tests under Wine.
WINDOWS_BUILD_DIR ?= build-windows
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 dpkg-dev ninja-build \
                    qt6-translations-l10n wixl msitools
# What the desktop program's test under Wine drives it with: a window manager, X tools, pictures.
WINDOWS_TEST_PACKAGES := openbox wmctrl xdotool x11-utils imagemagick
WINDOWS_VERSION = $$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' $(WINDOWS_BUILD_DIR)/CMakeCache.txt)

.PHONY: all deps configure build test run clean format windows windows-packages windows-prepare \
        test-windows deb package test-package \
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

# The program's icon and the installers' guide come from the build machine's build (drawn by the
# program's own code; the guide's pictures are of its dialogs).
windows: deps configure
	@./scripts/install-deps.sh $(WINDOWS_PACKAGES)
	cmake -S . -B $(BUILD_DIR) >/dev/null  # a build folder of an older tree lacks the targets
	cmake --build $(BUILD_DIR) -j $(JOBS) --target kotar_icons kotar_guide
	prepared=$$(JOBS=$(JOBS) ./scripts/windows-prepare.sh $(WINDOWS_BUILD_DIR)) && \
	qt=$$(printf '%s\n' "$$prepared" | sed -n 1p) && \
	openjtalk=$$(printf '%s\n' "$$prepared" | sed -n 2p) && \
	cmake -S . -B $(WINDOWS_BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DKOTAR_WINDOWS_DEPS=$(abspath $(WINDOWS_BUILD_DIR))/deps/prefix \
	    -DKOTAR_WINDOWS_QT="$$qt" -DKOTAR_BUILD_GUI=ON -DKOTAR_OPENJTALK_DIR="$$openjtalk" \
	    -DKOTAR_WINDOWS_ICON=$(abspath $(BUILD_DIR))/icons/kotar.ico \
	    -DKOTAR_WINDOWS_GUIDE=$(abspath $(BUILD_DIR))/docs
	cmake --build $(WINDOWS_BUILD_DIR) -j $(JOBS)
	./scripts/windows-msi.sh $(WINDOWS_BUILD_DIR)/kotar-windows \
	    $(WINDOWS_BUILD_DIR)/kotar-$(WINDOWS_VERSION)-x64.msi $(WINDOWS_VERSION)

# Qt for Windows and the other long-built prerequisites of make windows alone (CI builds them
# beside the Linux tests); the packages they need first.
windows-packages:
	@./scripts/install-deps.sh $(WINDOWS_PACKAGES) $(WINDOWS_TEST_PACKAGES)

windows-prepare: windows-packages
	JOBS=$(JOBS) ./scripts/windows-prepare.sh $(WINDOWS_BUILD_DIR) >/dev/null

# The simulator and the Wine system tests come from the Linux build (only what they need).
test-windows: windows configure
	@./scripts/install-deps.sh $(WINDOWS_TEST_PACKAGES)
	cmake --build $(BUILD_DIR) -j $(JOBS) --target kotar-devsim kotar-cli windows_system_tests
	./scripts/test-windows.sh $(WINDOWS_BUILD_DIR) $(BUILD_DIR)
	./scripts/test-msi.sh $(WINDOWS_BUILD_DIR) $(WINDOWS_BUILD_DIR)/kotar-$(WINDOWS_VERSION)-x64.msi

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_BUILD_DIR) $(FUZZ_BUILD_DIR) $(WINDOWS_BUILD_DIR)
