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
# record TARGET NAME:STATUS...: ctest's record of the suites it ran.
record() {
    local target="$1" c
    shift
    {
        echo '<testsuite>'
        for c in "$@"; do echo "<testcase name=\"${c%:*}\" status=\"${c#*:}\"/>"; done
        echo '</testsuite>'
    } >"$WORK/$target/results/ctest.junit"
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

start_case ASuiteThatCrashedOrNeverStartedCountsAsFailedByName
fresh; suite native core 3 0; suite x86_64 app 2 0; suite x86_64 skin 1 1
record x86_64 app:run skin:fail fetch:fail western:notrun
echo "ran zelpo and app only: 32-bit code is emulated here" >"$WORK/x86_64/results/SUBSET"
count
expect '[ $RC = 1 ]'
expect 'grep -qx "x86_64: 3 passed, 3 failed, 0 skipped (2 suites; failed without a report of it: fetch, western)" <<<"$OUT"'
expect 'grep -qx "Total: 6 passed, 3 failed, 0 skipped; x86_64: ran zelpo and app only: 32-bit code is emulated here" <<<"$OUT"'
end_case

write_report CountResults "$XML"
