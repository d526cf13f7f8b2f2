# Scrivet: `make run` builds and starts the program, `make test` builds the test tree with
# sanitizers and runs it, `make release-test` builds the Release tree with tests and benchmarks
# and runs the tests, `make fuzz-smoke` runs every fuzz target briefly over its crashers.
JOBS ?= $(shell nproc)
ARGS ?=
CMAKE ?= cmake

.PHONY: deps run build test release-test bench fuzz fuzz-smoke clean format

deps:
	@scripts/install-deps

build: deps
	$(CMAKE) -S . -B build/release -DCMAKE_BUILD_TYPE=Release
	$(CMAKE) --build build/release -j $(JOBS)

run: build
	build/release/bin/scrivet $(ARGS)

test: deps
	$(CMAKE) -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DSCRIVET_TESTS=ON -DSCRIVET_SANITIZE=ON
	$(CMAKE) --build build/test -j $(JOBS)
	cd build/test && ctest --output-on-failure -j $(JOBS)

release-test: deps
	@scripts/install-deps bench
	$(CMAKE) -S . -B build/release-test -DCMAKE_BUILD_TYPE=Release -DSCRIVET_TESTS=ON -DSCRIVET_BENCH=ON
	$(CMAKE) --build build/release-test -j $(JOBS)
	cd build/release-test && ctest --output-on-failure -j $(JOBS)

bench: deps
	@scripts/install-deps bench
	$(CMAKE) -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DSCRIVET_BENCH=ON
	$(CMAKE) --build build/bench -j $(JOBS)
	@for program in build/bench/bin/bench_*; do echo "== $$program"; $$program; done

fuzz:
	@scripts/install-deps fuzz
	$(CMAKE) -S . -B build/fuzz -DCMAKE_BUILD_TYPE=Debug -DSCRIVET_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	$(CMAKE) --build build/fuzz -j $(JOBS)

# Each target for FUZZ_SECONDS over its crashers and seeds (scripts/fuzz-smoke).
FUZZ_SECONDS ?= 5
fuzz-smoke: fuzz
	scripts/fuzz-smoke build/fuzz/bin $(FUZZ_SECONDS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
