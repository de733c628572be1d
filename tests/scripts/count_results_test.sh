#!/bin/bash
# scripts/count_results.py over made-up result folders: a target skipped with
# its reason, and one that left nothing.
# Usage: count_results_test.sh [--xml FILE]  (FILE: a GoogleTest-style report)
set -uo pipefail
COUNT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/count_results.py"
source "$(dirname "${BASH_SOURCE[0]}")/cases.sh"

# suite TARGET NAME PASSED FAILED: one report with that many cases.
suite() {
    mkdir -p "$WORK/$1/results"
    {
        echo '<testsuites><testsuite>'
        for _ in $(seq 1 "$3"); do echo '<testcase name="p"/>'; done
        for _ in $(seq 1 "$4"); do echo '<testcase name="f"><failure/></testcase>'; done
        echo '</testsuite></testsuites>'
    } >"$WORK/$1/results/$2.xml"
}
count() { OUT="$(python3 "$COUNT" "$WORK")"; RC=$?; }
fresh() { rm -rf "${WORK:?}"/*; }

start_case ASkippedTargetIsNamedWithItsReasonInTheTotals
fresh; suite native core 3 0; suite x86_64 app 2 0
mkdir -p "$WORK/i686/results"; echo "32-bit Wine (wine32:i386) is not installed" >"$WORK/i686/results/SKIPPED"
count
expect '[ $RC = 0 ]'
expect 'grep -qx "i686: suites skipped: 32-bit Wine (wine32:i386) is not installed" <<<"$OUT"'
expect 'grep -qx "Total: 5 passed, 0 failed, 0 skipped; i686 suites not run: 32-bit Wine (wine32:i386) is not installed" <<<"$OUT"'
end_case

start_case ATargetThatLeftNothingFailsTheRun
fresh; suite native core 3 0; suite i686 app 1 0
count
expect '[ $RC = 1 ]'
expect 'grep -qx "x86_64: no results: its suites did not run" <<<"$OUT"'
end_case

write_report CountResults "$XML"
