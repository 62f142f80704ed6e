# User-facing commands. Each one installs what is missing first, so a fresh
# Debian machine needs nothing but this repository.
#
#   make test    set up, build everything, run every test (non-zero on failure)
#   make build   set up and build, no tests
#   make stage   build and prepare build/run/ as the program's folder
#   make run     stage and start anchordesk.exe there under Wine
#   make bench   stage and print the web bridge's round-trip and connection figures
#
# ARCH=x86_64 (default) is the build that runs here under Wine; ARCH=i686
# builds the 32-bit Windows binaries (not runnable on machines whose kernel
# has no 32-bit support, see README).

ARCH ?= x86_64
BUILD_DIR ?= $(if $(filter x86_64,$(ARCH)),build,build-$(ARCH))
JOBS ?= $(shell nproc)

.PHONY: all setup build build-i686 test stage run bench clean

all: build

setup:
	@./scripts/install-packages.sh

build: setup
	@ARCH=$(ARCH) BUILD_DIR=$(BUILD_DIR) JOBS=$(JOBS) ./scripts/build.sh

# The shipped 32-bit programs cannot run here, but they must keep compiling
# (with their record-layout checks): `make test` builds them first.
test: build build-i686
	@WINEPREFIX=$(CURDIR)/$(BUILD_DIR)/wineprefix ./scripts/wine-run.sh
	cd $(BUILD_DIR) && ctest --output-on-failure --timeout 900 -j$(JOBS)

build-i686: setup
	@ARCH=i686 BUILD_DIR=build-i686 JOBS=$(JOBS) BUILD_TARGETS="anchordesk livesdk" ./scripts/build.sh

stage: build
	@BUILD_DIR=$(BUILD_DIR) ./scripts/stage.sh

run: build
	@BUILD_DIR=$(BUILD_DIR) ./scripts/stage.sh run

bench: build
	@BUILD_DIR=$(BUILD_DIR) ./scripts/stage.sh
	@ANCHORDESK_BUILD_DIR=$(CURDIR)/$(BUILD_DIR) node tests/e2e/bench.js

clean:
	rm -rf build build-*
