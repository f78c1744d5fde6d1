# make run: install what is missing, build, open the register.
# make test: install what is missing, build, run every test; then the tests without windows once more, built
#            under AddressSanitizer and UndefinedBehaviorSanitizer in $(BUILD)-san (make sanitize alone).
# make bench: the benchmarks (not part of make test).
# make fuzz: the fuzz targets, built with clang, each run for FUZZ_SECONDS (not part of make test).
BUILD ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: deps configure build run test sanitize bench fuzz clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/till

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory sanitize

sanitize: deps
	@cmake -S . -B $(BUILD)-san -DCMAKE_BUILD_TYPE= -DTILL_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD)-san -j $(JOBS)
	@cd $(BUILD)-san && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	@bash bench/run.sh $(BUILD)

fuzz: deps
	@bash scripts/install-deps.sh fuzz
	@cmake -S fuzz -B $(BUILD)-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD)-fuzz -j $(JOBS)
	@bash fuzz/run.sh $(BUILD)-fuzz $(FUZZ_SECONDS)

clean:
	@rm -rf $(BUILD) $(BUILD)-fuzz $(BUILD)-san
