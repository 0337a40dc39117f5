# Shared by the start-up benchmarks (sourced): an X server of their own, probes that are retried
# when they fail, and the table of medians.

# Starts Xvfb on a display it picks itself and points DISPLAY at it; the caller's EXIT trap kills it.
start_xvfb() { # work-dir
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    local display=""
    for _ in $(seq 300); do
        display=$(cat "$1/display" 2>/dev/null || true)
        [ -n "$display" ] && break
        sleep 0.1
    done
    [ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }
    export DISPLAY=:$display
}

# A results folder and an Xvfb of the script's own, both gone when the script ends.
start_session() {
    results=$(mktemp -d)
    xvfb_pid=""
    trap '[ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true; rm -rf "$results"' EXIT
    start_xvfb "$results"
    export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
}

# Appends one probe's figures to FILE. On a busy machine the X server now and then refuses a
# connection, the probe's or the program's: such a probe is retried, up to 5 times, and counted.
retried=0
probe_into() { # file command...
    local file=$1 attempt
    shift
    for attempt in 1 2 3 4 5; do
        if "$probe" "$@" >>"$file" 2>/dev/null; then
            return 0
        fi
        retried=$((retried + 1))
        sleep 0.5
    done
    echo "a probe failed 5 times: $*" >&2
    exit 1
}

median() { sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

# Prints a row of medians, time (ms) and peak RSS (MB), and sets NAME_t and NAME_r to them.
row() { # label name (the file results/NAME)
    local t r
    t=$(cut -d' ' -f1 "$results/$2" | median)
    r=$(cut -d' ' -f2 "$results/$2" | median)
    printf '%-28s %12.1f %14.1f\n' "$1" "$t" "$(echo "$r / 1024" | bc -l)"
    eval "${2}_t=$t ${2}_r=$r"
}
