# The two commands of the README. Both set up a fresh Debian machine first.
PRESET ?= default

# The packages date their entries by the last commit, so that a commit gives
# the same package bytes from every build; a date given outside wins.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --pretty=%ct 2>/dev/null)
DATED = $(if $(SOURCE_DATE_EPOCH),SOURCE_DATE_EPOCH=$(SOURCE_DATE_EPOCH))

.PHONY: all setup configure build test test-windows drive-qt package-windows readers run bench bench-process bench-table fuzz fuzz-build package clean

all: build

setup:
	@scripts/setup-debian

configure: setup
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET)

# Every test, then every test again under AddressSanitizer and
# UndefinedBehaviorSanitizer (Linux; 'make test-windows' for Windows).
test: build
	@ctest --preset $(PRESET)
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan

# The Windows programs built with MinGW-w64, their tests run under Wine, the
# zip, and a scripted drive of celestra.exe under Wine (it compares the comet
# file with the Linux batch command's, hence 'build').
test-windows: build
	@scripts/setup-debian windows
	@cmake --preset windows-cross >/dev/null
	@cmake --build --preset windows-cross
	@ctest --preset windows-cross
	@$(DATED) cmake --build --preset windows-cross --target package_windows
	@scripts/wine-drive build/windows-cross build/$(PRESET)/app/celestra-batch

# Two readers of comet elements that others wrote (Skyfield with its own
# parser, solver and light time; astronomia, Meeus with VSOP87) read every
# precise line the accuracy tool judges, fixed and moving targets, 1901-2099,
# 12 hours either side: each within 0.05" of its target and 0.05 mag.
# Debian's own interpreter has the python3-* packages; a python3 of pyenv or
# a virtual environment earlier on the PATH does not.
SYSTEM_PYTHON ?= /usr/bin/python3
READERS = build/$(PRESET)/readers
readers: build
	@scripts/setup-debian readers
	@mkdir -p $(READERS)
	@build/$(PRESET)/celestra_accuracy --lines $(READERS)/lines.tsv > $(READERS)/accuracy.md
	@cd tools/readers && npm ci --silent --no-audit --no-fund
	@node tools/readers/astronomia_reader.mjs $(READERS)/lines.tsv --out $(READERS)/astronomia.md \
	  --max-arcsec 0.05 --max-mag 0.05 >/dev/null
	@$(SYSTEM_PYTHON) tools/readers/skyfield_reader.py $(READERS)/lines.tsv --out $(READERS)/skyfield.md \
	  --max-arcsec 0.05 --max-mag 0.05 >/dev/null
	@for reader in astronomia skyfield; do \
	  grep -E '^\| (fixed|moving) \| \*\*all' $(READERS)/$$reader.md | sed "s/^/$$reader: /"; done

# celestra.exe and celestra-batch.exe in one zip, in build/windows-cross/packages.
package-windows:
	@scripts/setup-debian windows
	@cmake --preset windows-cross >/dev/null
	@$(DATED) cmake --build --preset windows-cross --target package_windows

# A scripted drive of the Qt window under Xvfb: files dropped on its path
# fields as a file manager drops them (xdotool and openbox, as for Wine).
drive-qt: build
	@scripts/setup-debian windows
	@scripts/qt-drive build/$(PRESET)

run: build
	@PRESET=$(PRESET) scripts/run-window

# A .deb and a .tar.gz of the installed programs, in build/default/packages;
# the .deb checked by lintian (any error fails).
package: build
	@scripts/setup-debian package
	@cd build/$(PRESET) && $(DATED) cpack >/dev/null && ls -1 packages/*.deb packages/*.tar.gz
	@lintian --fail-on error build/$(PRESET)/packages/*.deb

# Timing and memory of the whole run on generated files (not part of 'test').
bench: build
	@build/$(PRESET)/bench/celestra_bench

# The batch command as a whole process, against the floor of its bytes.
bench-process: build
	@python3 bench/whole_run.py --batch build/$(PRESET)/app/celestra-batch

# 100,000 targets as a Gaia archive CSV of every gaia_source column, against
# the same targets as a fixed-column list and a plain read of the CSV.
bench-table: build
	@python3 bench/whole_run.py --gaia-table --runs 9 --batch build/$(PRESET)/app/celestra-batch

# Each fuzz target for FUZZ_SECONDS (two at a time: make -j2 fuzz). New
# inputs go to build/fuzz-corpus; the seeds stay in fuzz/corpus.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = numbers format object_list comet_file element_line table

fuzz-build: setup
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz

fuzz: $(addprefix fuzz-,$(FUZZ_TARGETS))

fuzz-%: fuzz-build
	@mkdir -p build/fuzz-corpus/$*
	@build/fuzz/fuzz/fuzz_$* -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  build/fuzz-corpus/$* fuzz/corpus/$* 2>&1 | tee build/fuzz-corpus/$*.log | grep -E '^(stat::|Done|==|invariant)' || true
	@! grep -qE 'ERROR|invariant broken|deadly signal' build/fuzz-corpus/$*.log

clean:
	rm -rf build
