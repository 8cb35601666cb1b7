# Best of three runs of a command, in seconds, output discarded (sourced by the bench scripts).
best() {
    local best=
    for _ in 1 2 3; do
        local start end
        start=$(date +%s.%N)
        "$@" > /dev/null
        end=$(date +%s.%N)
        best=$(echo "$end - $start" | bc -l | awk -v b="$best" '{ if (b == "" || $1 < b) print $1; else print b }')
    done
    echo "$best"
}
