# Two entry points that work on a fresh Debian 12 machine:
#   make run   - installs what is missing, builds, starts the program
#   make test  - installs what is missing, builds, runs every test
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

PACKAGES := build-essential cmake pkg-config qt6-base-dev qt6-multimedia-dev libpulse-dev \
            libsndfile1-dev libsoxr-dev libebur128-dev libgtest-dev libbenchmark-dev pulseaudio \
            pulseaudio-utils xvfb fonts-noto-cjk sox

# The Windows cross build (kotar-cli, the core and its tests; no Qt) and its tests under Wine.
WINDOWS_BUILD_DIR ?= build-windows
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 dpkg-dev

.PHONY: all deps configure build test run clean format windows test-windows

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

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

windows: deps
	@./scripts/install-deps.sh $(WINDOWS_PACKAGES)
	JOBS=$(JOBS) ./scripts/windows-deps.sh $(WINDOWS_BUILD_DIR)
	cmake -S . -B $(WINDOWS_BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DKOTAR_WINDOWS_DEPS=$(abspath $(WINDOWS_BUILD_DIR))/deps/prefix -DKOTAR_BUILD_GUI=OFF
	cmake --build $(WINDOWS_BUILD_DIR) -j $(JOBS)

# The simulator and the Wine system tests come from the Linux build (only what they need).
test-windows: windows configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target kotar-devsim kotar-cli windows_system_tests
	./scripts/test-windows.sh $(WINDOWS_BUILD_DIR) $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(WINDOWS_BUILD_DIR)
