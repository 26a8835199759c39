# make demo: install what is missing, build, evaluate the shipped example.
# make check: install what is missing, build with the sanitizers, run every test.

JOBS ?= 2

.PHONY: demo check build build-check bench clean deps

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DORVANE_TESTS=OFF >/dev/null
	cmake --build build -j $(JOBS)

demo: build
	build/orvane -d examples/task.lua examples/reference.txt examples/hypothesis.txt

build-check: deps
	cmake -S . -B build-check -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON >/dev/null
	cmake --build build-check -j $(JOBS)

check: build-check
	cd build-check && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DORVANE_BENCH=ON -DORVANE_TESTS=OFF >/dev/null
	cmake --build build-bench -j $(JOBS)

clean:
	rm -rf build build-check build-bench
