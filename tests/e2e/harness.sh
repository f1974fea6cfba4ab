# The harness of these tests tells the truth about a script: one that reaches e2e_finish passes only when every
# check did, and one that stops before its end fails, with its own exit status where it had one, and never says
# its checks passed. Each row is a small script on lib.sh; this one judges them without lib.sh, so that a harness
# that passed everything could not pass this test too.
set -u
: "${DIDA_SCREENSHOTS:?run through ctest}"
lib=$(cd "$(dirname "$0")" && pwd)/lib.sh
dir=$DIDA_SCREENSHOTS/harness.$$
rm -rf "$dir"
mkdir -p "$dir"
trap 'rm -rf "$dir"' EXIT
failures=0

# Name, what the script does between its first and its last check, the status it must end with ("not 0" for any
# failure), whether it may say that all its checks passed.
rows=(
    "finished|:|0|yes"
    "failed_check|fail 'a check that failed'|1|no"
    "unset_variable|echo \"\$no_such_variable\"|not 0|no"
    "exit_0_in_a_helper|helper() { exit 0; }; helper|not 0|no"
    "exit_3|exit 3|3|no"
    "terminated|kill -TERM \$\$|not 0|no"
)

for row in "${rows[@]}"; do
    IFS='|' read -r name body want says <<<"$row"
    script=$dir/harness_$name.sh
    printf 'source "%s"\npass "the first check"\n%s\npass "the last check"\ne2e_finish\n' "$lib" "$body" >"$script"
    out=$(bash "$script" 2>&1)
    status=$?
    verdict=ok
    case $want in
    "not 0") ((status != 0)) || verdict="ended with 0" ;;
    *) ((status == want)) || verdict="ended with $status, not $want" ;;
    esac
    if [ "$says" = no ] && grep -q "all checks passed" <<<"$out"; then verdict="said all its checks passed"; fi
    if [ "$says" = yes ] && ! grep -q "harness_$name: all checks passed" <<<"$out"; then verdict="did not say so"; fi
    # A script that stopped early never made its last check.
    if [ "$want" != 0 ] && [ "$name" != failed_check ] && grep -q "ok: the last check" <<<"$out"; then
        verdict="went on past the point where it stopped"
    fi
    if [ "$verdict" = ok ]; then
        echo "ok: $name (exit status $status)"
    else
        echo "FAIL: $name: $verdict"
        sed 's/^/    | /' <<<"$out"
        failures=$((failures + 1))
    fi
done

if ((failures)); then
    echo "harness: $failures row(s) failed"
    exit 1
fi
echo "harness: all checks passed"
