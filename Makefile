# The two commands of the README, plus benchmarks and fuzzing.
BUILD      := build
ASAN_BUILD := build-asan
BENCH_BUILD := build-bench
JOBS       ?= 2
PREFIX     ?= /usr/local

.PHONY: all deps configure build test run install package bench bench-batch fuzz clean screenshots startup-time songs-eval

all: build

deps:
	@scripts/deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

# Every test, then the libraries' tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
test: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPEALIX_SANITIZE=ON -DPEALIX_LIBS_ONLY=ON > /dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

run: build
	@scripts/run.sh $(BUILD)

# The main window, rendered without a display, for the README.
screenshots: build
	@scripts/screenshots.sh $(BUILD)

# How long the main window takes to appear (also printed by make bench).
startup-time: build
	@scripts/startup-time.sh $(BUILD)

# make install [PREFIX=/usr/local] [DESTDIR=/staging]: the application directory goes to
# PREFIX/lib/pealix, the commands pealix and pealix-cli to PREFIX/bin, the desktop files
# and manual pages under PREFIX/share.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)" --strip

# make package: build/pealix_<version>_<arch>.deb, installing into /usr.
package: build
	cd $(BUILD) && cpack --config CPackConfig.cmake

# Then the start-up of the window and of one pealix-cli conversion (hyperfine);
# PEALIX_COMPARE='cmd {in} {out}' times another converter beside it.
bench: deps
	@scripts/deps.sh bench
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DPEALIX_BENCH=ON -DPEALIX_LIBS_ONLY=OFF > /dev/null
	@cmake --build $(BENCH_BUILD) --target pealix-bench rvmelody -j$(JOBS)
	$(BENCH_BUILD)/bin/pealix-bench
	@scripts/startup-time.sh $(BUILD)
	@scripts/cli-startup.sh $(BUILD)

# A collection of 10,000 RTTTL tunes to MIDI files: one batch against one process a tune.
# BENCH_DIR=/dev/shm puts the output files on a memory file system.
bench-batch: build
	@scripts/deps.sh bench
	python3 bench/batch_bench.py --cli $(BUILD)/bin/pealix-cli $(if $(BENCH_DIR),--dir $(BENCH_DIR))

# make songs-eval DIR=../shared/songs/pop909-dev: the melody chosen, onsets kept, hook and
# events per note over a folder of labelled songs (bench/songs_eval.py).
songs-eval: configure
	@cmake --build $(BUILD) --target pealix-songs-eval rvmelody -j$(JOBS)
	python3 bench/songs_eval.py $(if $(DIR),$(DIR),$(error songs-eval needs DIR=folder of songs)) --tool $(BUILD)/bin/pealix-songs-eval

# make fuzz SECONDS=600 runs each libFuzzer target that long (not part of CI).
SECONDS ?= 60
fuzz:
	@scripts/deps.sh fuzz
	@scripts/fuzz.sh $(SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) build-fuzz fuzz-out
