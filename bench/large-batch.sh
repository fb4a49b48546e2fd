#!/usr/bin/env bash
# Very large batches: tonquill-cli probe and convert over thousands of short WAV files, with the
# peak memory (maximum resident set, GNU time) and the time per file at each size, so that any
# growth faster than the file count shows.
#
#   bench/large-batch.sh [BUILD_DIR]        (default: build; the folder holding bin/tonquill-cli)
#
# Environment: LARGE_BATCH_SIZES (file counts, default "5000 50000"), LARGE_BATCH_JOBS (convert
# --jobs, default 2), BENCH_KEEP=1 keeps the work folder.
#
# The files lie in folders of ten, named s0.wav to s9.wav in each, and are converted into one
# output folder: every output name is shared by a tenth of the batch, so the numbered names
# ("s0 (2).wav", ...) are part of what is measured.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
cli=$(cd "$build" && pwd)/bin/tonquill-cli
sizes=${LARGE_BATCH_SIZES:-5000 50000}
jobs=${LARGE_BATCH_JOBS:-2}

for tool in "$cli" sox /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "large-batch: missing $tool" >&2; exit 2; }
done

work=$(mktemp -d /tmp/tonquill-large.XXXXXX)
if [[ "${BENCH_KEEP:-0}" != 1 ]]; then
    trap 'rm -rf "$work"' EXIT
fi

# 0.05 s of stereo 44.1 kHz noise, copied into every file.
sox -n -r 44100 -b 16 -c 2 "$work/short.wav" synth 0.05 pinknoise gain -6

# make_batch N FOLDER: N copies of the short file, ten to a folder.
make_batch() {
    local n=$1 dir=$2
    local folders=$(( (n + 9) / 10 ))
    mkdir -p "$dir"
    (cd "$dir" && seq -f "d%06.0f" 0 $(( folders - 1 )) | xargs mkdir -p)
    # tee writes its input to many files in one process.
    for (( i = 0; i < n; i++ )); do
        printf '%s/d%06d/s%d.wav\n' "$dir" $(( i / 10 )) $(( i % 10 ))
    done | xargs -d '\n' -n 500 sh -c 'tee "$@" < "$0" > /dev/null' "$work/short.wav"
}

# measure LABEL N COMMAND...: one run under GNU time; prints the row of the table.
measure() {
    local label=$1 n=$2
    shift 2
    local stats="$work/time.txt"
    local rc=0
    /usr/bin/time -o "$stats" -f '%M %e' "$@" > "$work/stdout.txt" 2> "$work/stderr.txt" || rc=$?
    read -r kb seconds < <(tail -1 "$stats")
    awk -v l="$label" -v n="$n" -v kb="$kb" -v s="$seconds" -v rc="$rc" 'BEGIN {
        printf "%-8s %7d files  %8.1f s  %7.3f ms/file  peak %7.1f MiB  exit %d\n",
               l, n, s, s * 1000 / n, kb / 1024, rc }'
}

results="$work/results.txt"
: > "$results"
for n in $sizes; do
    echo "== $n files: generating" >&2
    rm -rf "$work/in" "$work/out"
    make_batch "$n" "$work/in"
    echo "== $n files: probe" >&2
    measure probe "$n" "$cli" probe -R "$work/in" >> "$results"
    echo "== $n files: convert to WAV, --jobs $jobs" >&2
    measure convert "$n" "$cli" convert --no-config --quiet -R -j "$jobs" -f wav -o "$work/out" \
        "$work/in" >> "$results"
    made=$(find "$work/out" -type f | wc -l)
    [[ "$made" == "$n" ]] || echo "large-batch: $made outputs for $n files" >&2
done

echo
cat "$results"
# Between two sizes: the memory each further file added, and how the time per file changed
# (about 1.0 when every step is linear in the file count).
awk '{ n[$1] = n[$1] " " $2; t[$1] = t[$1] " " $4; m[$1] = m[$1] " " $9 }
     END {
         for (c in n) {
             k = split(n[c], N); split(t[c], T); split(m[c], M)
             for (i = 2; i <= k; i++)
                 printf "%-8s %d -> %d files: %+.2f KiB per further file, time per file x%.2f\n",
                        c, N[i - 1], N[i], (M[i] - M[i - 1]) * 1024 / (N[i] - N[i - 1]),
                        (T[i] / N[i]) / (T[i - 1] / N[i - 1])
         }
     }' "$results"
