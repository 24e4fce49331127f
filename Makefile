# Thin wrapper over CMake: every target installs what is missing, configures, builds, then acts.
BUILD       ?= build
ASAN_BUILD  ?= build-asan
FUZZ_BUILD  ?= build-fuzz
JOBS        ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build run test test-sanitize bench fuzz clean screenshot package

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# Opens the window; extra arguments go through ARGS, e.g. make run ARGS="--cli out _x a.mov b.mov".
run: build
	$(BUILD)/tessellane $(ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSELLANE_SANITIZE=ON -DTESSELLANE_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# A Debian package in $(BUILD)/: the validators and the man page check first, then cpack (stripped binary).
package: build
	cd $(BUILD) && ctest --output-on-failure -R '^package_'
	rm -f $(BUILD)/tessellane_*.deb
	cd $(BUILD) && cpack -G DEB
	scripts/check-package.sh $(BUILD)/tessellane_*.deb

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

fuzz:
	@scripts/install-deps.sh scripts/deps.txt scripts/deps-fuzz.txt
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DTESSELLANE_FUZZ=ON -DTESSELLANE_TESTS=OFF -DTESSELLANE_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_movie_reader fuzz_image_header fuzz_ffmpeg_output

# Screenshots of the real window under Xvfb, written to docs/.
screenshot: build
	@scripts/install-deps.sh scripts/deps.txt scripts/deps-screenshot.txt
	scripts/screenshot.sh $(BUILD) docs

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
