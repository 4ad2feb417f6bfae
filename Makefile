BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps build run test bench package clean

deps:
	@./scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/kelvora

# The tests make the package first (the make_package test) and check it.
test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The Debian package of the optimised build (its program stripped of the
# debugging information): made from the same build as the tests, so that
# the test command compiles the program once.
package: build
	cmake --build $(BUILD) -j $(JOBS) --target kvr_packaging_files
	cd $(BUILD) && rm -f kelvora_*.deb && cpack -G DEB

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] && QT_QPA_PLATFORM=offscreen "$$b"; done

clean:
	rm -rf $(BUILD)
