# Scrivet: `make run` builds and starts the program, `make test` builds the test tree with
# sanitizers and runs it.
JOBS ?= $(shell nproc)
ARGS ?=
CMAKE ?= cmake

.PHONY: deps run build test bench fuzz clean format

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

bench: deps
	$(CMAKE) -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DSCRIVET_BENCH=ON
	$(CMAKE) --build build/bench -j $(JOBS)
	@for program in build/bench/bin/bench_*; do echo "== $$program"; $$program; done

fuzz:
	@scripts/install-deps fuzz
	$(CMAKE) -S . -B build/fuzz -DCMAKE_BUILD_TYPE=Debug -DSCRIVET_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	$(CMAKE) --build build/fuzz -j $(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
