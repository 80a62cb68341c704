# Two entry points that work on a fresh Debian 12 machine:
#   make run   - installs what is missing, builds, starts the program
#   make test  - installs what is missing, builds, runs every test
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

PACKAGES := build-essential cmake pkg-config qt6-base-dev qt6-multimedia-dev libpulse-dev \
            libsndfile1-dev libsoxr-dev libebur128-dev libgtest-dev libbenchmark-dev pulseaudio \
            pulseaudio-utils xvfb fonts-noto-cjk sox

.PHONY: all deps configure build test run clean format

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

clean:
	rm -rf $(BUILD_DIR)
