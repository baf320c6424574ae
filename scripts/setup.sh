#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need (poppler-utils: the tests read
# the proofs' text with pdftotext; bindfs: a FUSE file system without renameat2 flags for the
# tests of the held folders); with the argument "bench", also the peers the benchmarks measure
# against.
# Usage: scripts/setup.sh [bench]
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-14-dev clang-format libboost-dev liblcms2-dev
          libgtest-dev libgmock-dev nlohmann-json3-dev libqpdf-dev poppler-utils bindfs)
if [[ ${1:-} == bench ]]; then
    packages+=(libbenchmark-dev libicu-dev libfmt-dev libmsgpack-cxx-dev rapidjson-dev libssl-dev)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [[ $(id -u) -eq 0 ]] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
