#!/usr/bin/env bash
# Sets up a Debian 12 machine for openmeet, builds it, and then either opens the program on the
# demo meets (run) or runs every test (test). Safe to run again: packages already present are not
# installed again, and the build folder is reused.
#
#   ./build.sh run     install what is missing, build, open the program
#   ./build.sh test    install what is missing, build, run every test with ctest
#   ./build.sh killtest [N]
#                      install what is missing, build, run only the kill test, stopping each
#                      writer N times (10 when not given)
#   ./build.sh package
#                      install what is missing, build, make the Debian package openmeet_*.deb
#                      in build/ with CPack and check it with lintian, desktop-file-validate
#                      and appstreamcli
#   ./build.sh fuzz [SECONDS]
#                      build the fuzz targets with clang into build-fuzz and run each for SECONDS
#                      (60 by default); any finding fails the command
#
# OPENMEET_SANITIZE=1 builds into build-asan with AddressSanitizer and UBSan instead. With CI set,
# `test` runs `fuzz 10` after the tests.
set -euo pipefail
cd "$(dirname "$0")"

packages=(qt6-base-dev libqt6sql6-sqlite libsqlite3-dev cmake g++ ninja-build
          fonts-liberation fonts-liberation2 fonts-dejavu-core fonts-ocr-b
          libbenchmark-dev libquazip1-qt6-dev ccache sqlite3 xvfb xauth x11-utils poppler-utils)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What making and checking the Debian package needs besides the build.
package_packages=(dpkg-dev lintian desktop-file-utils appstream)

# libFuzzer comes with clang's runtime libraries, which Debian ships apart from clang itself.
fuzz_packages=(clang libclang-rt-dev)

# Builds every fuzz target and runs each in turn for $1 seconds, its seeds from tests/fuzz/<target>
# and the inputs it finds kept in build-fuzz/corpus/<target> for the next run. Prints each
# target's executions; a crash, a failed check, a leak or a hang fails it, and the input that did
# it is left in build-fuzz/findings/<target>.
fuzz() {
    local seconds=${1:-60} dir=build-fuzz failed=0
    packages+=("${fuzz_packages[@]}")
    install_missing
    if [ ! -f "$dir/build.ninja" ]; then
        local flags=(-DOPENMEET_FUZZ=ON -DOPENMEET_BENCH=OFF -DCMAKE_CXX_COMPILER=clang++)
        [ -n "${CI:-}" ] && flags+=(-DOPENMEET_WERROR=ON)
        cmake -S . -B "$dir" -G Ninja "${flags[@]}"
    fi
    cmake --build "$dir" --target openmeet_fuzzers
    printf '%-12s %12s  %s\n' target executions result
    while read -r target; do
        [ -n "$target" ] || continue
        local corpus=$dir/corpus/$target findings=$dir/findings/$target log=$dir/fuzz-$target.log
        local result=ok executions
        mkdir -p "$corpus" "$findings"
        if ! "$dir/bin/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=25 \
                -artifact_prefix="$findings/" "$corpus" "tests/fuzz/$target" >"$log" 2>&1; then
            result="FINDING: $(sed -n 's/.*Test unit written to //p' "$log" | tail -n 1)"
            failed=1
        fi
        executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
        printf '%-12s %12s  %s\n' "$target" "${executions:-?}" "$result"
        if [ "$result" != ok ]; then
            tail -n 40 "$log" | sed 's/^/    /'
        fi
    done <"$dir/fuzz-targets.txt"
    return "$failed"
}

build() {
    local dir=build flags=()
    if [ "${OPENMEET_SANITIZE:-0}" = 1 ]; then
        dir=build-asan
        flags=(-DOPENMEET_SANITIZE=ON -DOPENMEET_BENCH=OFF)
    fi
    [ -n "${CI:-}" ] && flags+=(-DOPENMEET_WERROR=ON)
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja "${flags[@]}"
    fi
    cmake --build "$dir"
    builddir=$dir
}

case "${1:-}" in
run)
    install_missing
    build
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "There is no display to open the window on. To run it on a virtual display:"
        echo "    xvfb-run -a ./build.sh run"
        exit 2
    fi
    exec "$builddir/bin/openmeet"
    ;;
test)
    install_missing
    build
    # The kill test stops each writer 3 times on a developer's machine, 10 times in CI.
    if [ -n "${CI:-}" ]; then
        export OPENMEET_KILLS="${OPENMEET_KILLS:-10}"
    fi
    ctest --test-dir "$builddir" --output-on-failure -j "$(nproc)"
    if [ -n "${CI:-}" ]; then
        fuzz 10
    fi
    ;;
package)
    packages+=("${package_packages[@]}")
    install_missing
    build
    rm -f "$builddir"/openmeet_*.deb
    (cd "$builddir" && cpack -G DEB)
    deb=$(ls "$builddir"/openmeet_*.deb)
    desktop-file-validate packaging/openmeet.desktop
    appstreamcli validate --no-net "$builddir"/packaging/*.metainfo.xml
    # Errors fail the command; warnings are printed for the developer to judge.
    lintian --fail-on error "$deb"
    echo "Made $deb"
    ;;
fuzz)
    fuzz "${2:-60}"
    ;;
killtest)
    kills="${2:-10}"
    if ! [[ "$kills" =~ ^[0-9]+$ ]]; then
        echo "usage: ./build.sh killtest [N]   (N: stops per writer)" >&2
        exit 64
    fi
    install_missing
    build
    OPENMEET_KILLS="$kills" ctest --test-dir "$builddir" --output-on-failure --verbose \
        -R '^tools/tst_killtest$'
    ;;
*)
    echo "usage: ./build.sh run | test | package | fuzz [SECONDS] | killtest [N]" >&2
    exit 64
    ;;
esac
