# Developer entry points. `make run` and `make test` are the two commands a
# newcomer needs; both install missing Debian packages first.
.PHONY: run test deps native windows dist bench soak fuzz clean

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

clean:
	rm -rf build
