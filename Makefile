# Developer entry points. `make run` and `make test` are the two commands a
# newcomer needs; both install missing Debian packages first.
.PHONY: run test deps native windows dist screenshots bench soak fuzz clean

run: windows
	scripts/run-wendrel.sh

test: native windows
	scripts/test-all.sh

deps:
	@scripts/install-deps.sh

native: deps
	cmake --preset native >/dev/null
	cmake --build --preset native

windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows

dist: windows
	scripts/make-dist.sh

# Refreshes the README's screenshots from the last end-to-end run.
screenshots:
	cp build/windows/e2e-shots/*.png docs/screenshots/

clean:
	rm -rf build
