#!/bin/bash
# Runs the benchmarks under the same private Wine session as the tests.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
set -e
vk_setup
vk_build x86_64
set +e
trap vk_stop_session EXIT
vk_start_xvfb
vk_start_wine
cd "$VK_BUILD/x86_64/bin"

# Every bench runs whatever the one before did; the command ends non-zero and
# names each one that failed.
failed=()
vk_bench() {
    local name="$1" rc
    shift
    "$@"
    rc=$?
    [ "$rc" -eq 0 ] || { failed+=("$name (exit $rc)"); vk_log "bench $name failed with exit code $rc"; }
    return 0
}

# The loopback server the downloads of the grab and retrieval benches read from.
port_file="$VK_BUILD/bench_http.port"
rm -f "$port_file"
python3 "$VK_ROOT/tests/fixtures/http_server.py" --lifetime 1200 --port-file "$port_file" >/dev/null 2>&1 &
VK_PIDS+=($!)
for _ in $(seq 1 100); do [ -s "$port_file" ] && break; sleep 0.05; done
port="$(cat "$port_file" 2>/dev/null)"
export VENDRAKE_HTTP_PORT="$port"

vk_bench startup_bench "$WINE64" ./startup_bench.exe </dev/null
vk_bench hook_report_bench "$WINE64" ./hook_report_bench.exe </dev/null
vk_bench hit_test_bench "$WINE64" ./hit_test_bench.exe </dev/null
vk_bench grab_all_bench "$WINE64" ./grab_all_bench.exe </dev/null
vk_bench bundle_bench "$WINE64" ./bundle_bench.exe </dev/null
vk_bench skin_bench "$WINE64" ./skin_bench.exe </dev/null
vk_bench control_paint_bench "$WINE64" ./control_paint_bench.exe </dev/null

# Retrieval: a 64 MiB body through XF_GetThread and, in the same run, through
# curl from the same loopback server; then the cache walk over 100,000 entries.
if [ -z "$port" ]; then
    failed+=("fetch_bench (the loopback server did not start)")
    vk_log "bench fetch_bench not run: the loopback server did not start"
else
    curl_file="$(mktemp)"
    curl_s="$(curl -s -o "$curl_file" -w '%{time_total}' "http://127.0.0.1:$port/large?mib=64")"
    rm -f "$curl_file"
    fetch_out="$("$WINE64" ./fetch_bench.exe "$port" 64 </dev/null)"
    fetch_rc=$?
    echo "$fetch_out"
    if [ "$fetch_rc" -ne 0 ]; then
        failed+=("fetch_bench (exit $fetch_rc)")
        vk_log "bench fetch_bench failed with exit code $fetch_rc"
    fi
    echo "curl: transfer_s=$curl_s"
    python3 - "$curl_s" "$fetch_out" <<'PY'
import re, sys
curl = float(sys.argv[1])
for line in sys.argv[2].splitlines():
    m = re.match(r"(xf_get_thread\S*): .*transfer_s=([\d.]+) end_handler_s=([\d.]+)", line)
    if m:
        t, e = float(m.group(2)), float(m.group(3))
        print(f"{m.group(1)}: {t / curl:.1f} x curl's time to the last byte, {e / curl:.1f} x to the end handler (target 1.5 x)")
PY
fi

# The theme-file parser and the movie reference scan, natively.
if vk_build native >/dev/null; then
    vk_bench theme_parse_bench "$VK_BUILD/native/bench/native/theme_parse_bench" --benchmark_min_time=0.2 2>/dev/null
    vk_bench movie_references_bench "$VK_BUILD/native/bench/native/movie_references_bench" \
        --benchmark_min_time=0.2 2>/dev/null
else
    failed+=("theme_parse_bench, movie_references_bench (native build failed)")
fi

if [ "${#failed[@]}" -gt 0 ]; then
    vk_log "benchmarks failed: ${failed[*]}"
    exit 1
fi
vk_log "every benchmark ran"
