# slugwell: the two set-up commands of README.md.
#   make run   configure, build, run slugwell on examples/input.txt
#   make test  configure, build, run every test
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: run test deps configure build clean

deps:
	@sh tools/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The run happens in a scratch folder so that outfile.txt and log.txt do
# not litter the tree; the console dialogue is shown as it runs.
run: build
	@mkdir -p run
	@cp examples/input.txt run/input.txt
	cd run && printf 'input.txt\n' | ../$(BUILD)/slugwell; status=$$?; \
	  echo; echo "--- run/outfile.txt ---"; cat outfile.txt 2>/dev/null; exit $$status

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) run
