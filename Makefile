# Entry points: `make run` builds the system, `make test` builds and runs every test,
# `make bench` measures the hot paths, `make fuzz` runs the fuzz targets longer.
.PHONY: all setup setup-bench build run test test-default test-asan test-tsan fuzz-smoke bench \
        fuzz format clean

# Each step below builds in parallel itself; the steps run one after the other, so `make -j`
# never races the set-up against a build.
.NOTPARALLEL:

JOBS ?= $(shell nproc)

all: build

setup:
	scripts/setup.sh

setup-bench:
	scripts/setup.sh bench

build: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

# The main job in the stand-in host program: zephost serves the companion application's pipe,
# opens the example session and ad, calls 'expY' with the example PDF job and 'Zerp' true, and
# reports what the export wrote. The job's files go to its drive J:, here build/run/job.
run: build
	rm -rf build/run
	mkdir -p build/run/job
	ZEP_PIPE_DIR=build/run ZEP_DRIVE_J=$(CURDIR)/build/run/job build/default/host/app/zephost \
	    --listen --decode open examples/studio.json open examples/spring_sale.json \
	    call expY --zemp @examples/jobs/spring_sale_pdf.hex --zerp true report

test: setup test-default test-asan test-tsan fuzz-smoke

test-default:
	cmake --preset default
	cmake --build --preset default -j $(JOBS)
	ctest --preset default -j $(JOBS)

test-asan:
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# The background log writer's tests under ThreadSanitizer.
test-tsan:
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS)
	ctest --preset tsan -j $(JOBS)

fuzz-smoke:
	scripts/fuzz.sh 5

bench: setup-bench
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS)
	build/bench/bench/zep_bench

fuzz: setup
	scripts/fuzz.sh 120

format: setup
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf build
