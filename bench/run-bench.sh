#!/usr/bin/env bash
# Times tonquill-cli against the standard tools doing the same work on the same generated audio,
# side by side in one hyperfine run per case, and prints the median times, the ratios and the
# peak memory of Tonquill's single conversions.
#
#   bench/run-bench.sh [BUILD_DIR]          (default: build; the folder holding bin/tonquill-cli)
#
# Environment: BENCH_SECONDS (length of the long test signal, default 600), BENCH_RUNS (runs per
# command, default 3), BENCH_FILES (files of the batch case, default 40), BENCH_PROBE_FILES
# (files of the probe case, default 2000), BENCH_KEEP=1 keeps the work folder.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
cli=$(cd "$build" && pwd)/bin/tonquill-cli
micro=$(cd "$build" && pwd)/bin/tonquill-microbench
window=$(cd "$build" && pwd)/bin/tonquill-windowbatch
seconds=${BENCH_SECONDS:-600}
runs=${BENCH_RUNS:-3}
nfiles=${BENCH_FILES:-40}
nprobe=${BENCH_PROBE_FILES:-2000}

for tool in "$cli" hyperfine lame oggenc mpg123 sox ffmpeg ffprobe jq flac opusenc; do
    command -v "$tool" >/dev/null || { echo "run-bench: missing $tool" >&2; exit 2; }
done

work=$(mktemp -d /tmp/tonquill-bench.XXXXXX)
if [[ "${BENCH_KEEP:-0}" != 1 ]]; then
    trap 'rm -rf "$work"' EXIT
fi
cd "$work"
mkdir -p out results batch probe

echo "Generating ${seconds} s of stereo 44.1 kHz test audio in $work ..." >&2
# A music-like signal: a sweeping tone under a tremolo over pink noise, so the encoders work as
# hard as on real music (pure tones or silence would flatter them).
sox -n -r 44100 -b 16 -c 2 music.wav synth "$seconds" pinknoise synth "$seconds" sine mix 110-1760 \
    tremolo 3 40 gain -6
sox -n -r 48000 -b 16 -c 2 music48.wav synth "$seconds" pinknoise synth "$seconds" sine mix 110-1760 \
    tremolo 3 40 gain -6
lame --quiet -b 128 --cbr music.wav music.mp3
oggenc -Q -q 3 -o music.ogg music.wav
ffmpeg -v error -y -i music.wav -c:a wmav2 -b:a 128k music.wma

# The batch: files of 30 s cut from the long signal.
for i in $(seq -w 1 "$nfiles"); do
    sox music.wav "batch/track$i.wav" trim "$(( (10#$i * 7) % (seconds > 40 ? seconds - 31 : 1) ))" 30
done
# The probe case: short files of all four formats, a quarter each.
sox music.wav short.wav trim 0 5
lame --quiet -b 128 short.wav short.mp3
oggenc -Q -q 3 -o short.ogg short.wav
ffmpeg -v error -y -i short.wav -c:a wmav2 -b:a 128k short.wma
for i in $(seq 1 $(( nprobe / 4 ))); do
    for ext in wav mp3 ogg wma; do cp "short.$ext" "probe/f$i.$ext"; done
done

tq="$cli convert --no-config --quiet -o $work/out"
fresh="rm -rf $work/out && mkdir -p $work/out"

# Each case: its name, Tonquill's command, the peer's name and command, and the goal (the highest
# Tonquill/peer ratio of median times that meets it; empty when there is none).
names=(); ours=(); peers=(); theirs=(); goals=()
add_case() { names+=("$1"); ours+=("$2"); peers+=("$3"); theirs+=("$4"); goals+=("$5"); }
add_case "WAV to MP3 128k CBR q9" "$tq -j 1 -f mp3 -b 128 music.wav" \
    lame "lame --quiet -b 128 --cbr -q 9 music.wav out/music.mp3" 1.05
add_case "WAV to Ogg q0.3" "$tq -j 1 -f ogg -q 0.3 music.wav" \
    oggenc "oggenc -Q -q 3 -o out/music.ogg music.wav" 1.05
add_case "MP3 to WAV" "$tq -j 1 -f wav music.mp3" \
    mpg123 "mpg123 -q -w out/music.wav music.mp3" 1.05
add_case "WAV 48k to 44.1k" "$tq -j 1 -f wav -r 44100 music48.wav" \
    sox "sox music48.wav -r 44100 out/music.wav" 1.05
add_case "MP3 to Ogg transcode" "$tq -j 1 -f ogg -q 0.3 music.mp3" \
    ffmpeg "ffmpeg -v error -y -i music.mp3 -c:a libvorbis -q:a 3 out/music.ogg" 0.8
add_case "WAV to WMA 128k" "$tq -j 1 -f wma --wma-preset 47 music.wav" \
    ffmpeg "ffmpeg -v error -y -i music.wav -c:a wmav2 -b:a 128k out/music.wma" ""
add_case "WAV to FLAC level 5" "$tq -j 1 -f flac --flac-level 5 music.wav" \
    flac "flac -s -5 -o out/music.flac music.wav" 1.05
add_case "WAV 48k to Opus 128k" "$tq -j 1 -f opus -b 128 music48.wav" \
    opusenc "opusenc --quiet --bitrate 128 music48.wav out/music.opus" 1.05
add_case "$nfiles WAV to MP3, --jobs 2" "$tq -j 2 -f mp3 -b 128 batch" \
    "lame, xargs -P 2" \
    "ls batch/*.wav | xargs -P 2 -I{} sh -c 'lame --quiet -b 128 --cbr -q 9 \"\$1\" out/\$(basename \"\$1\" .wav).mp3' _ {}" ""
add_case "$nfiles WAV to MP3, --jobs 2 vs 1" "$tq -j 2 -f mp3 -b 128 batch" \
    "tonquill --jobs 1" "$tq -j 1 -f mp3 -b 128 batch" 0.6
# The progress window's batch (offscreen, no person): OUTPUT/Jobs 0, one pipeline per core,
# against 1, one file after another.
if [[ -x "$window" ]]; then
    add_case "$nfiles WAV to MP3, window, per core vs 1" "$window 0 $work/out batch" \
        "window, Jobs 1" "$window 1 $work/out batch" 0.6
fi
add_case "probe $nprobe files" "$cli probe probe" \
    "ffprobe per file" "for f in probe/*; do ffprobe -v error -show_format -show_streams \"\$f\"; done" ""

printf '%-36s %11s %11s %-18s %7s %s\n' "case" "tonquill s" "peer s" "peer" "ratio" "goal" > results/table.txt
for n in "${!names[@]}"; do
    name=${names[$n]} peer=${peers[$n]} goal=${goals[$n]}
    echo "== $name" >&2
    hyperfine --style basic --runs "$runs" --prepare "$fresh" --export-json "results/$n.json" \
        -n tonquill "${ours[$n]}" -n "$peer" "${theirs[$n]}" >&2
    a=$(jq '.results[0].median' "results/$n.json")
    b=$(jq '.results[1].median' "results/$n.json")
    ratio=$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", a / b }')
    verdict=""
    if [[ -n "$goal" ]]; then
        verdict=$(awk -v r="$ratio" -v g="$goal" 'BEGIN { print (r <= g ? "<= " g " met" : "<= " g " MISSED") }')
    fi
    printf '%-36s %11.2f %11.2f %-18s %7s %s\n' "$name" "$a" "$b" "$peer" "$ratio" "$verdict" >> results/table.txt
done

# Start-up and short files: what a person waits for most often. Many runs, since each takes
# milliseconds; the shell is left out (-N) so only the programs are timed.
sox music.wav short180.wav trim 0 180
lame --quiet -b 128 --cbr short180.wav short180.mp3
short_names=("--version" "5 s MP3 to WAV" "180 s MP3 to WAV")
short_ours=("$cli --version" "$tq -j 1 -f wav short.mp3" "$tq -j 1 -f wav short180.mp3")
short_theirs=("mpg123 --version" "mpg123 -q -w $work/out/short.wav short.mp3"
              "mpg123 -q -w $work/out/short180.wav short180.mp3")
short_goals=("" 1.5 1.05)
for n in "${!short_names[@]}"; do
    name=${short_names[$n]} goal=${short_goals[$n]}
    echo "== $name" >&2
    options=(--style basic --warmup 3 --export-json "results/short$n.json")
    if [[ $n -eq 0 ]]; then
        options+=(-N --runs 30)
    else
        options+=(--runs 10 --prepare "$fresh")
    fi
    hyperfine "${options[@]}" -n tonquill "${short_ours[$n]}" -n mpg123 "${short_theirs[$n]}" >&2
    a=$(jq '.results[0].median' "results/short$n.json")
    b=$(jq '.results[1].median' "results/short$n.json")
    ratio=$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", a / b }')
    if [[ $n -eq 0 ]]; then
        # Start-up has an absolute goal: 10 ms.
        verdict=$(awk -v a="$a" 'BEGIN { print (a <= 0.010 ? "<= 10 ms met" : "<= 10 ms MISSED") }')
    else
        verdict=$(awk -v r="$ratio" -v g="$goal" 'BEGIN { print (r <= g ? "<= " g " met" : "<= " g " MISSED") }')
    fi
    printf '%-36s %11.4f %11.4f %-18s %7s %s\n' "$name" "$a" "$b" mpg123 "$ratio" "$verdict" >> results/table.txt
done

# Peak memory of single conversions (maximum resident set, from GNU time).
{
    echo
    echo "peak memory of a single conversion (goal: under 64 MiB):"
    for args in "-f mp3 -b 128 music.wav" "-f ogg -q 0.3 music.wav" "-f wav music.mp3" \
                "-f wav -r 44100 music48.wav" "-f ogg -q 0.3 music.mp3" "-f wma music.wav"; do
        eval "$fresh"
        kb=$(/usr/bin/time -f %M $tq -j 1 $args 2>&1 >/dev/null | tail -1)
        printf '  %-32s %6.1f MiB\n' "$args" "$(awk -v k="$kb" 'BEGIN { print k / 1024 }')"
    done
} >> results/table.txt

if [[ -x "$micro" ]]; then
    echo "== micro-benchmarks" >&2
    TONQUILL_BENCH_FILES="$work" "$micro" --benchmark_min_time=0.2 >> results/table.txt 2>&1 || true
fi

echo
cat results/table.txt
