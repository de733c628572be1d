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
