# make demo: install what is missing, build, evaluate the shipped example.
# make check: install what is missing, build with the sanitizers, run every test.

JOBS ?= 2
# WERROR=ON turns warnings into errors (CI builds so).
WERROR ?= OFF

.PHONY: demo check check-full build build-check install bench compare compare-presets conll-compare fuzz fuzz-build fuzz-merge format format-check clean deps

deps:
	@scripts/install-deps

# `make install` puts the program under PREFIX and its presets beside it, in
# PREFIX/share/orvane/presets, where the program looks for them.
PREFIX ?= /usr/local
# The compiler's output goes to build/build.log, and to the screen only when
# the build fails, so that the demo's first screen is the demo.
build: deps
	@cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DORVANE_TESTS=OFF -DORVANE_WERROR=$(WERROR) \
	  -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	@echo "Building build/orvane (the compiler's output goes to build/build.log)"
	@cmake --build build -j $(JOBS) >build/build.log 2>&1 || \
	  { cat build/build.log; echo "The build failed: its output is above and in build/build.log." >&2; exit 1; }

# make install [PREFIX=/usr/local] [DESTDIR=]: the program, its presets under
# PREFIX/share/orvane/presets and its man page.
install: build
	DESTDIR=$(DESTDIR) cmake --install build

demo: build
	@echo "build/orvane -d -s examples/task.lua examples/reference.txt examples/hypothesis.txt"
	@echo
	@build/orvane -d -s examples/task.lua examples/reference.txt examples/hypothesis.txt

build-check: deps
	cmake -S . -B build-check -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON -DORVANE_WERROR=$(WERROR) >/dev/null
	cmake --build build-check -j $(JOBS)

CTEST = cd build-check && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

check: build-check
	$(CTEST)

# The scale tests at their full size (a few minutes under the sanitizers).
check-full: build-check
	ORVANE_FULL_TESTS=1 $(CTEST)

# Times whole runs over synthetic corpora (1M and 4M tokens, and the worst
# cases) and reports peak memory and page faults, each beside its target.
# BENCH=--quick leaves out the 4M-token corpus. CONLLEVAL names conlleval.pl
# to time the runs against it (left out when empty).
BENCH ?=
CONLLEVAL ?= $(wildcard ../shared/peers/conlleval.pl)
bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DORVANE_BENCH=ON -DORVANE_TESTS=OFF >/dev/null
	cmake --build build-bench -j $(JOBS)
	CONLLEVAL=$(CONLLEVAL) python3 bench/run_bench.py build-bench $(BENCH)

# Output of the working tree against the last commit's (or REV's), byte for byte.
REV ?= HEAD
CASES ?= 300
compare: deps
	bench/compare-builds $(REV) $(CASES)

# The shipped presets computed in C++ against the same presets run through
# Lua, with one build: the bench corpora under each preset and PRESET_CASES
# random cases.
PRESET_CASES ?= 1000
compare-presets: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DORVANE_BENCH=ON -DORVANE_TESTS=OFF >/dev/null
	cmake --build build-bench -j $(JOBS)
	bench/compare-presets build-bench/orvane $(PRESET_CASES) build-bench/bench/make_corpus

# orvane's exact preset against conlleval's counts (computed in Python from
# its rules) on CONLL_CASES random token-per-line files.
CONLL_CASES ?= 2000
conll-compare: build
	python3 bench/conll_compare.py build/orvane $(CONLL_CASES)

# Fuzzing with libFuzzer (clang): each target of FUZZ_TARGETS runs for
# FUZZ_TIME seconds on FUZZ_JOBS processes, from its corpus under
# tests/fuzz/corpus; new inputs go to build-fuzz/corpus/<target> (copy the
# ones worth keeping beside the seeds). A finding is written to
# build-fuzz/findings/ and stops the run.
FUZZ_TIME ?= 60
FUZZ_JOBS ?= 1
FUZZ_TARGETS ?= text_reader aref_reader reposition run answers conll pairs
fuzz-build:
	@scripts/install-deps --fuzz
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DORVANE_TESTS=OFF -DORVANE_FUZZ=ON >/dev/null
	cmake --build build-fuzz -j $(JOBS)

fuzz: fuzz-build
	@for t in $(FUZZ_TARGETS); do \
	  scripts/fuzz-target $$t $(FUZZ_TIME) $(FUZZ_JOBS) || exit 1; \
	done

# Adds to the committed corpora the inputs of the last fuzzing runs that
# reach code the corpora did not.
fuzz-merge: fuzz-build
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p build-fuzz/corpus/$$t; \
	  build-fuzz/tests/fuzz/fuzz_$$t -merge=1 tests/fuzz/corpus/$$t build-fuzz/corpus/$$t \
	    -max_len=65536 -timeout=5 2>&1 | grep -E '^MERGE-OUTER: [0-9]+ new files' || exit 1; \
	done

SOURCES = $(shell git ls-files '*.cc' '*.h')
format:
	clang-format -i $(SOURCES)

format-check: deps
	clang-format --dry-run -Werror $(SOURCES)

clean:
	rm -rf build build-check build-bench build-compare build-fuzz
