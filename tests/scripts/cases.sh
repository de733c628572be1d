# Sourced by the script tests: cases of shell conditions, counted into a
# GoogleTest-style report so the test command's totals include them.
# A case: start_case NAME, then expect CONDITION (eval'd) as often as needed,
# then end_case; $OUT is shown when a case failed.
# Sets XML from the script's --xml FILE argument and WORK to a scratch
# folder that goes when the script ends.
XML=""
[ "${1:-}" = --xml ] && XML="$2"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

failures=0
cases=()
current="" current_failed=0
OUT=""
start_case() { current="$1"; current_failed=0; }
expect() {
    if ! eval "$1"; then
        echo "FAIL $current: $1"
        current_failed=1
    fi
}
end_case() {
    cases+=("$current:$current_failed")
    if [ $current_failed = 0 ]; then
        echo "ok   $current"
    else
        failures=$((failures + 1))
        echo "$OUT" | sed 's/^/    | /'
    fi
}

# write_report SUITE FILE (no FILE: nothing written); true when no case failed.
write_report() {
    local suite="$1" file="${2:-}" c
    if [ -n "$file" ]; then
        {
            echo "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
            echo "<testsuites tests=\"${#cases[@]}\" failures=\"$failures\" name=\"$suite\">"
            echo "  <testsuite name=\"$suite\" tests=\"${#cases[@]}\" failures=\"$failures\">"
            for c in "${cases[@]}"; do
                if [ "${c##*:}" = 0 ]; then
                    echo "    <testcase name=\"${c%:*}\" classname=\"$suite\"/>"
                else
                    echo "    <testcase name=\"${c%:*}\" classname=\"$suite\"><failure message=\"see the test output\"/></testcase>"
                fi
            done
            echo "  </testsuite>"
            echo "</testsuites>"
        } >"$file"
    fi
    [ $failures = 0 ]
}
