# Developer entry points. `make run` and `make test` are the two commands a
# newcomer needs; both install missing Debian packages first.
.PHONY: run test deps native windows fuzz-build dist screenshots bench soak fuzz clean

run: windows
	scripts/run-wendrel.sh

test: native windows fuzz-build
	scripts/test-all.sh

deps:
	@scripts/install-deps.sh

native: deps
	cmake --preset native >/dev/null
	cmake --build --preset native

windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows

fuzz-build: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz --target fuzzers

# Longer fuzzing by hand: make fuzz FUZZ_SECONDS=600
FUZZ_SECONDS ?= 300
fuzz: fuzz-build
	scripts/fuzz.sh $(FUZZ_SECONDS)

# Speed: page scan, mission sort, idle tick and the history's figures, each
# beside its floor or aim; then the History window's paint, under Wine.
bench: deps windows
	cmake --preset bench >/dev/null
	cmake --build --preset bench --target wendrel_bench
	build/bench/bench/wendrel_bench
	scripts/paint-bench.sh

# A long run under Wine: memory and handles at the start and the end.
soak: windows
	scripts/soak.sh

# The zip and the setup for players, with their SHA256SUMS, in build/dist.
dist: windows
	scripts/make-dist.sh

# Refreshes the screenshots the README shows from the last end-to-end run
# (which takes many more: every window in each language, each DPI).
README_SHOTS = $(notdir $(shell grep -o 'docs/screenshots/[A-Za-z0-9_-]*\.png' README.md))
screenshots:
	cp $(wildcard $(addprefix build/windows/e2e-shots/,$(README_SHOTS))) docs/screenshots/

clean:
	rm -rf build
