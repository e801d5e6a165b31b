# slugwell: the set-up commands of README.md.
#   make run      configure, build the program alone, run it on
#                 examples/input.txt (no test or benchmark is built)
#   make test     configure, build everything, run every test; then the same
#                 suite again under AddressSanitizer and UndefinedBehaviorSanitizer
#   make install  the program, README.md and the examples under PREFIX
#                 (default /usr/local): bin/slugwell, share/doc/slugwell/
#   make fuzz     (not part of test) 60 s of libFuzzer over the input reader
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS  ?= $(shell nproc)
FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local

# A sanitizer report of any kind (leak included) ends the process with a
# failure, so ctest sees the test fail.
SAN_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
          UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

.PHONY: run test test-asan fuzz deps configure build program install clean

deps:
	@sh tools/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The program alone: what `make run` and `make install` need.
program: configure
	cmake --build $(BUILD) -j $(JOBS) --target slugwell

# The run happens in a scratch folder inside the build folder so that
# outfile.txt and log.txt do not litter the tree (run/ holds the sources
# of the program's run); the console dialogue is shown as it runs.
SCRATCH = $(BUILD)/example-run
run: program
	@mkdir -p $(SCRATCH)
	@cp examples/input.txt $(SCRATCH)/input.txt
	cd $(SCRATCH) && printf 'input.txt\n' | $(abspath $(BUILD))/slugwell; status=$$?; \
	  echo; echo "--- $(SCRATCH)/outfile.txt ---"; cat outfile.txt 2>/dev/null; exit $$status

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-asan

install: program
	cmake --install $(BUILD) --prefix $(PREFIX)

# The whole suite in a second build folder with the sanitizers on.
# RelWithDebInfo keeps the instrumented tests fast enough for CI.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DSLUG_SANITIZE=ON -DSLUG_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(SAN_ENV) ctest --output-on-failure -j $(JOBS)

# libFuzzer over the input reader fed from memory (clang, see fuzz/).
fuzz:
	@sh tools/install-fuzz-deps.sh
	$(MAKE) -C fuzz run FUZZ_SECONDS=$(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) fuzz/build
