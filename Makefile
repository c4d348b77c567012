BUILD ?= build
RELEASE ?= build-release
JOBS ?= $(shell nproc)
PREFIX ?= $(HOME)/.local

LIBDIR = $(PREFIX)/lib/marel
BINDIR = $(PREFIX)/bin
APPDIR = $(PREFIX)/share/applications
ICONDIR = $(PREFIX)/share/icons/hicolor/32x32/apps

.PHONY: all deps build run test test-asan release install uninstall clean

all: build

deps:
	@scripts/deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/marel

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMAREL_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

release: deps
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) -j $(JOBS) --target marel marel-cdinfo extras

# A per-user install: Marel keeps marel.ini and data/ beside its program file,
# so the program lives in a folder of its own and ~/.local/bin links to it.
install: release
	install -d $(LIBDIR) $(BINDIR) $(APPDIR) $(ICONDIR)
	install -m 755 $(RELEASE)/marel $(RELEASE)/marel-cdinfo $(LIBDIR)/
	ln -sf $(LIBDIR)/marel $(BINDIR)/marel
	ln -sf $(LIBDIR)/marel-cdinfo $(BINDIR)/marel-cdinfo
	sed 's|^Exec=marel$$|Exec=$(BINDIR)/marel|' dist/marel.desktop > $(APPDIR)/marel.desktop
	install -m 644 $(RELEASE)/marel.png $(ICONDIR)/marel.png
	gtk-update-icon-cache -q $(PREFIX)/share/icons/hicolor 2>/dev/null || true
	@echo "Marel is installed: start it from the desktop's menu or with $(BINDIR)/marel"

# Removes exactly what install put there; marel.ini, data/ and the catalogue stay.
uninstall:
	rm -f $(LIBDIR)/marel $(LIBDIR)/marel-cdinfo
	rm -f $(BINDIR)/marel $(BINDIR)/marel-cdinfo
	rm -f $(APPDIR)/marel.desktop $(ICONDIR)/marel.png
	rmdir $(LIBDIR) 2>/dev/null || true
	gtk-update-icon-cache -q $(PREFIX)/share/icons/hicolor 2>/dev/null || true

clean:
	rm -rf $(BUILD) $(RELEASE) build-asan

# Fuzzing with libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer.
# Each target in fuzz/ runs FUZZ_SECONDS; its corpus grows in
# build-fuzz/corpus-work/<target> (seeded from fuzz/corpus/<target>) and what
# it finds lands in build-fuzz/findings/<target>/.
FUZZ_SECONDS ?= 60
FUZZ_BUILD = build-fuzz
FUZZ_TARGETS = $(basename $(notdir $(wildcard fuzz/*.cpp)))

.PHONY: fuzz fuzz-ci fuzz-build

fuzz-build:
	@scripts/deps.sh clang libclang-rt-14-dev
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DMAREL_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers

fuzz: fuzz-build
	@set -e; for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus-work/$$t $(FUZZ_BUILD)/findings/$$t; \
	  echo "== $$t: $(FUZZ_SECONDS) s"; \
	  QT_QPA_PLATFORM=offscreen $(FUZZ_BUILD)/$$t -max_total_time=$(FUZZ_SECONDS) \
	    -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/findings/$$t/ \
	    $(FUZZ_BUILD)/corpus-work/$$t fuzz/corpus/$$t; \
	done

# A short bounded run of every target, for continuous integration.
fuzz-ci:
	$(MAKE) fuzz FUZZ_SECONDS=12
