# Runs the stages of test.sh and fuzz.sh and says what each took, so that a CI log shows where
# the time goes: its wall time and the processor time (user + system) of everything it ran.
# Sourced; with VARNOK_STAGE_LOG naming a file, each stage's line is added to it as well,
# for the summary at the end of test.sh.

# Sets VARNOK_CHILDREN_SECONDS to the processor seconds the shell's finished children took so
# far. "times" runs in this shell: in a subshell it would count only children of its own.
varnok_children_seconds() {
    local file
    file="$(mktemp)"
    times >"$file"
    VARNOK_CHILDREN_SECONDS="$(awk 'NR == 2 {
        for (i = 1; i <= 2; i++) { split($i, p, /[ms]/); total += p[1] * 60 + p[2] }
        printf "%.0f", total
    }' "$file")"
    rm -f "$file"
}

# varnok_stage NAME COMMAND...: runs the command as the stage NAME; its status is the stage's.
varnok_stage() {
    local name="$1" start="$SECONDS" before status=0 line
    shift
    varnok_children_seconds
    before="$VARNOK_CHILDREN_SECONDS"
    echo "==> $name"
    "$@" || status=$?
    varnok_children_seconds
    line="$(printf '%-12s %5d s wall %6d s processor' "$name" $((SECONDS - start)) \
        $((VARNOK_CHILDREN_SECONDS - before)))"
    [ "$status" -eq 0 ] || line="$line (failed)"
    echo "==> $line"
    if [ -n "${VARNOK_STAGE_LOG:-}" ]; then
        echo "$line" >>"$VARNOK_STAGE_LOG"
    fi
    return "$status"
}
