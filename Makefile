# Two entry points for a fresh Debian or Ubuntu machine:
#   make run    installs what is missing, builds, and starts Quillo
#   make test   installs what is missing, builds, and runs every test
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps deps-test deps-bench bench format clean install package

run: deps build
	scripts/run.sh $(BUILD_DIR)

test: deps-test build
	scripts/run-tests.sh $(BUILD_DIR)

deps:
	scripts/install-deps.sh build

deps-test:
	scripts/install-deps.sh test

deps-bench:
	scripts/install-deps.sh bench

build:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Installs into /usr/local, or PREFIX=... ; needs root for a system prefix.
install: build
	cmake --install $(BUILD_DIR) $(if $(PREFIX),--prefix $(PREFIX))

# The Debian package, in $(BUILD_DIR).
package: deps-test build
	cd $(BUILD_DIR) && cpack -G DEB

# That package installed with apt into a fresh Debian 12 root (debootstrap), and run there.
# Needs root or sudo; see scripts/check-deb-fresh.sh.
.PHONY: check-deb
check-deb: package
	scripts/check-deb-fresh.sh "$(BUILD_DIR)/quillo_$$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' $(BUILD_DIR)/CMakeCache.txt)_$$(dpkg --print-architecture).deb"

bench: deps-bench build
	scripts/run-bench.sh $(BUILD_DIR)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
