# Pixkeeper: build, test and run on Linux (mingw-w64 cross build, Wine, Xvfb).

WIN_BUILD    := build/win
NATIVE_BUILD := build/native
FUZZ_BUILD   := build/fuzz
FUZZ_SECONDS ?= 120
SOAK_PICTURES ?= 1000
SOAK_THUMBNAILS ?= 0

.PHONY: all deps build build-win build-native test test-layers test-native test-win test-ratio run bench soak dist fuzz clean

all: build

deps:
	@cmake/install-deps.sh

build: deps build-win build-native

build-win:
	@cmake -S . -B $(WIN_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
	@cmake --build $(WIN_BUILD)

build-native:
	@cmake -S . -B $(NATIVE_BUILD) -G Ninja >/dev/null
	@cmake --build $(NATIVE_BUILD)

test: build
	@$(MAKE) --no-print-directory test-layers test-native test-win test-ratio

# Every include of the program's own headers points down its layers.
test-layers:
	@cmake/check-layers.sh

test-ratio:
	@cmake/test-ratio.sh

test-native:
	ctest --test-dir $(NATIVE_BUILD) --output-on-failure

# Windows speaks Japanese in one session and English in the other; the tests
# labelled "english" run in the second.
test-win:
	WINE_LANG=ja_JP.UTF-8 cmake/wine-session.sh $(WIN_BUILD) ctest --test-dir $(WIN_BUILD) --output-on-failure -LE english
	WINE_LANG=C.UTF-8 cmake/wine-session.sh $(WIN_BUILD) ctest --test-dir $(WIN_BUILD) --output-on-failure -L english

run: deps build-win
	USE_DISPLAY=1 WINEPREFIX_OVERRIDE=$(CURDIR)/build/run-prefix WINE_LANG="$${LANG:-C.UTF-8}" \
	  cmake/wine-session.sh $(WIN_BUILD) wine $(WIN_BUILD)/Pixkeeper.exe

dist: deps build-win
	@cmake --build $(WIN_BUILD) --target dist

bench: deps build-win
	cmake/wine-session.sh $(WIN_BUILD) bench/run-bench.sh $(WIN_BUILD)

soak: deps build-win
	SOAK_THUMBNAILS=$(SOAK_THUMBNAILS) cmake/wine-session.sh $(WIN_BUILD) bench/run-soak.sh $(WIN_BUILD) $(SOAK_PICTURES)

fuzz:
	@cmake/install-deps.sh fuzz
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DPIXKEEPER_FUZZ=ON \
	  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(FUZZ_BUILD)
	@mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/findings
	$(FUZZ_BUILD)/tests/fuzz/dib_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=65536 \
	  -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/findings/ \
	  $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/seeds

clean:
	rm -rf build
