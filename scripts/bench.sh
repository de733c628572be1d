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
"$WINE64" ./startup_bench.exe </dev/null
"$WINE64" ./hook_report_bench.exe </dev/null
"$WINE64" ./hit_test_bench.exe </dev/null
"$WINE64" ./grab_all_bench.exe </dev/null
"$WINE64" ./skin_bench.exe </dev/null
"$WINE64" ./control_paint_bench.exe </dev/null

# Retrieval: a 64 MiB body through XF_GetThread and, in the same run, through
# curl from the same loopback server; then the cache walk over 100,000 entries.
port_file="$VK_BUILD/fetch_bench.port"
rm -f "$port_file"
python3 "$VK_ROOT/tests/fixtures/http_server.py" --lifetime 600 --port-file "$port_file" >/dev/null 2>&1 &
VK_PIDS+=($!)
for _ in $(seq 1 100); do [ -s "$port_file" ] && break; sleep 0.05; done
port="$(cat "$port_file")"
curl_file="$(mktemp)"
curl_s="$(curl -s -o "$curl_file" -w '%{time_total}' "http://127.0.0.1:$port/large?mib=64")"
rm -f "$curl_file"
fetch_out="$(VENDRAKE_HTTP_PORT="$port" "$WINE64" ./fetch_bench.exe "$port" 64 </dev/null)"
echo "$fetch_out"
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

# The theme-file parser, natively.
vk_build native >/dev/null
"$VK_BUILD/native/bench/native/theme_parse_bench" --benchmark_min_time=0.2 2>/dev/null | tail -n +4
