# Front door: `make test` installs what is missing, builds the Linux, sanitizer
# and Windows builds, runs all their tests and a short run of every fuzz target.
# `make run` builds the Linux menu program and shows the demo menu (without a
# display: on a private Xvfb display, saving the picture to build/run.png).
# `make dist` makes the demo's disc folder build/dist/demo and its image build/dist/demo.iso.
# `make release` makes the release archives in build/release (VERSION names them).
.PHONY: test temp-record run dist release test-release bootstrap linux linux-asan win32 fuzz test-linux test-linux-asan test-win32 test-fuzz clean

FUZZ_SECONDS ?= 30

# The tests leave the temporary folder as they found it: what they leave of ours fails the run.
test: bootstrap temp-record test-linux test-linux-asan test-win32 test-fuzz test-release
	@bash scripts/check-temp.sh compare build/temp-before.txt

temp-record:
	@mkdir -p build && bash scripts/check-temp.sh record build/temp-before.txt

bootstrap:
	@bash scripts/bootstrap.sh

run: bootstrap
	cmake --preset linux >/dev/null
	cmake --build --preset linux --target quorel
	bash scripts/run-demo.sh

dist: bootstrap
	cmake --preset linux >/dev/null
	cmake --build --preset linux --target quorel-tool quorel-portable
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 --target quorel
	rm -rf build/dist/demo build/dist/demo.iso
	mkdir -p build/dist
	build/linux/tools/quorel-tool dist demo build/dist/demo --iso build/dist/demo.iso

# The release archives build/release/quorel-VERSION.zip and .tar.gz (scripts/make-release.sh).
release: bootstrap
	cmake --preset linux >/dev/null
	cmake --build --preset linux --target quorel-tool quorel-portable
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 --target quorel quorel-tool
	bash scripts/make-release.sh

test-release: release
	bash tests/release/check_release.sh

linux linux-asan win32 fuzz: bootstrap
	cmake --preset $@ >/dev/null
	cmake --build --preset $@

test-linux: linux
	ctest --preset linux -j2

test-linux-asan: linux-asan
	ctest --preset linux-asan -j2

# Each Windows test program runs in one Wine process; allow for a slow first
# prefix creation.
test-win32: win32
	ctest --preset win32 -j2 --timeout 1800

test-fuzz: fuzz
	bash scripts/run-fuzzers.sh build/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build
