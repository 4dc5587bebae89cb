# Sourced by the benchmarks that run under Wine as root with test hosts of
# their own (bench/late_hosts.sh). prepare_wine_bench TARGET PREFIX refuses
# to go on without root, builds TARGET in $build (configuring the tree when
# it is new), makes $build absolute, points WINEPREFIX at the benchmark's
# own prefix there and has wine_bench_cleanup (the test hosts and Wine) run
# at the exit. run_on_virtual_display EXE ARG... runs the program under Wine
# on a virtual display, a new prefix made and settled first, and ends once
# Wine has.
. "$source_dir/bench/late_hosts.sh"

wine_bench_cleanup() {
    late_hosts_cleanup
    wineserver -k 2>/dev/null || true
}

prepare_wine_bench() {
    [ "$(id -u)" = 0 ] || { echo "run as root: the test hosts need a network namespace" >&2; exit 1; }
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-posix.cmake \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    cmake --build "$build" -j"$(nproc)" --target "$1" >/dev/null
    build=$(cd "$build" && pwd)
    export WINEPREFIX="$build/$2" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    trap wine_bench_cleanup EXIT
    trap 'exit 1' HUP INT TERM
}

run_on_virtual_display() {
    # shellcheck disable=SC2016
    xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
        # A new prefix is made and settles before the services go in.
        [ -f "$WINEPREFIX/system.reg" ] || { wineboot -i 2>/dev/null; wineserver -w; }
        wine "$@"; status=$?; wineserver -w; exit $status' bench "$@"
}
