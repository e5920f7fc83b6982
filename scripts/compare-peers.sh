#!/usr/bin/env bash
# Times tarvine-cli against mathjs (Fraction mode) and qalc on generated
# documents of the language they share, checks that all three compute the
# same values, and measures tarvine-cli's peak memory on a long typical
# document. Writes results.md, results.csv and the raw timings to build/peers/
# and the plot to docs/performance.png. docs/PERFORMANCE.md says what each
# figure includes.
#
# Usage: scripts/compare-peers.sh [--quick]
#   --quick  100 and 1,000 lines only, qalc at 100: checks the script itself
# Environment (optional): SIZES="100 1000 …", QALC_MAX_LINES (1000),
# MATHJS_MAX_LINES (100000), BUILD_TYPE (Release), RESULTS_DIR, PLOT.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
sizes=(${SIZES:-100 1000 10000 100000})
# qalc's command line sleeps about 10 ms twice a line while it waits for its
# calculation thread: 1,000 lines take 20 s, 10,000 would take over 3 minutes
# a run.
qalc_max=${QALC_MAX_LINES:-1000}
mathjs_max=${MATHJS_MAX_LINES:-100000}
sample_lines=200
memory_lines=100000
if [ "${1:-}" = "--quick" ]; then
  sizes=(100 1000)
  qalc_max=100
  sample_lines=40
  memory_lines=1000
elif [ $# -gt 0 ]; then
  echo "compare-peers.sh: unknown option '$1' (only --quick)" >&2
  exit 2
fi

build_type=${BUILD_TYPE:-Release}
build=$root/build-peers
results=${RESULTS_DIR:-$root/build/peers}
plot=${PLOT:-$root/docs/performance.png}
modules=$root/.cache/peers
mathjs_version=15.2.0
raw=$results/raw
documents=$results/documents

say() { echo "== $*" >&2; }
started=$(date -u '+%Y-%m-%d %H:%M UTC')
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

"$root/scripts/setup-deps.sh" --peers
command -v node >/dev/null && command -v npm >/dev/null && command -v qalc >/dev/null &&
  command -v hyperfine >/dev/null && command -v gnuplot >/dev/null && [ -x /usr/bin/time ] || {
  echo "compare-peers.sh: node, npm, qalc, hyperfine, gnuplot or /usr/bin/time is still missing" >&2
  exit 1
}

installed=$(node -p "require('$modules/node_modules/mathjs/package.json').version" 2>/dev/null || true)
if [ "$installed" != "$mathjs_version" ]; then
  say "installing mathjs $mathjs_version into .cache/peers"
  mkdir -p "$modules"
  npm install --prefix "$modules" --no-audit --no-fund --no-save --silent "mathjs@$mathjs_version"
fi

say "building tarvine-cli and tarvine-generate-document ($build_type)"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="$build_type" -DTARVINE_BUILD_APP=OFF \
  -DTARVINE_BUILD_TESTS=OFF -DTARVINE_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j2 --target tarvine-cli tarvine-generate-document >/dev/null
cli=$build/cli/tarvine-cli
generate=$build/bench/tarvine-generate-document

rm -rf "$raw" "$documents"
mkdir -p "$raw" "$documents"
# A fresh home: no saved qalc settings or definitions change the figures.
qalc_home=$results/qalc-home
rm -rf "$qalc_home"
mkdir -p "$qalc_home"
qalc_run() { HOME=$qalc_home qalc "$@"; }

document() { # kind dialect lines
  local file=$documents/$1-$2-$3.calc
  [ -f "$file" ] || "$generate" --kind "$1" --dialect "$2" --lines "$3" >"$file"
  echo "$file"
}

say "checking that the three tools agree, line by line, on $sample_lines lines"
checks=$results/agreement.txt
: >"$checks"
"$cli" --json "$(document peer tarvine "$sample_lines")" >"$raw/sample-tarvine.json" || true
node "$root/scripts/peers/mathjs-run.js" "$modules" "$(document peer mathjs "$sample_lines")" --print \
  >"$raw/sample-mathjs.txt"
qalc_run -t -s "prefixes off" -s "precision 40" -f "$(document peer qalc "$sample_lines")" >"$raw/sample-qalc.txt"
node "$root/scripts/peers/agree.js" "$raw/sample-tarvine.json" "$raw/sample-mathjs.txt" "$raw/sample-qalc.txt" \
  | tee -a "$checks" >&2
largest=0
for lines in "${sizes[@]}"; do
  [ "$lines" -le "$mathjs_max" ] && [ "$lines" -gt "$largest" ] && largest=$lines
done
if [ "$largest" -gt 0 ]; then
  say "checking Tarvine against mathjs on every line of the $largest-line document"
  "$cli" --json "$(document peer tarvine "$largest")" >"$raw/largest-tarvine.json" || true
  node "$root/scripts/peers/mathjs-run.js" "$modules" "$(document peer mathjs "$largest")" --print \
    >"$raw/largest-mathjs.txt"
  node "$root/scripts/peers/agree.js" "$raw/largest-tarvine.json" "$raw/largest-mathjs.txt" | tee -a "$checks" >&2
fi

timed() { # tool lines runs warmup command…
  local tool=$1 lines=$2 runs=$3 warmup=$4
  shift 4
  say "timing $tool on $lines lines ($runs runs)"
  hyperfine -N --style none --runs "$runs" --warmup "$warmup" --export-json "$raw/$tool-$lines.json" \
    "$(printf '%q ' "$@")" >/dev/null
}

# Short runs vary by a millisecond or more on a shared machine: more of them.
for lines in 1 "${sizes[@]}"; do
  runs=10
  [ "$lines" -le 10000 ] && runs=30
  timed tarvine "$lines" "$runs" 3 "$cli" "$(document peer tarvine "$lines")"
done

for lines in "${sizes[@]}"; do
  [ "$lines" -le "$mathjs_max" ] || { say "skipping mathjs on $lines lines (MATHJS_MAX_LINES=$mathjs_max)"; continue; }
  runs=5
  [ "$lines" -gt 10000 ] && runs=3
  say "timing mathjs on $lines lines ($runs runs)"
  for ((run = 0; run < runs; ++run)); do
    node "$root/scripts/peers/mathjs-run.js" "$modules" "$(document peer mathjs "$lines")" >>"$raw/mathjs-$lines.jsonl"
  done
done

for lines in 1 "${sizes[@]}"; do
  [ "$lines" -le "$qalc_max" ] || { say "skipping qalc on $lines lines (QALC_MAX_LINES=$qalc_max)"; continue; }
  runs=3
  warmup=0
  [ "$lines" -le 100 ] && runs=10 && warmup=1
  timed qalc "$lines" "$runs" "$warmup" env HOME="$qalc_home" qalc -t -f "$(document peer qalc "$lines")"
done

say "measuring peak memory"
peak() { # what lines command…
  local what=$1 lines=$2
  shift 2
  /usr/bin/time -f %M -o "$raw/peak.txt" "$@" >/dev/null
  echo "$what,$lines,$(tail -n 1 "$raw/peak.txt")" >>"$raw/memory.csv"
}
peak "tarvine-cli typical document" "$memory_lines" "$cli" "$(document typical tarvine "$memory_lines")"
peak "tarvine-cli peer document" "$memory_lines" "$cli" "$(document peer tarvine "$memory_lines")"
if [ "$memory_lines" -le "$mathjs_max" ]; then
  peak "mathjs peer document" "$memory_lines" \
    node "$root/scripts/peers/mathjs-run.js" "$modules" "$(document peer mathjs "$memory_lines")"
fi
qalc_memory_lines=$((memory_lines < qalc_max ? memory_lines : qalc_max))
peak "qalc peer document" "$qalc_memory_lines" env HOME="$qalc_home" qalc -t -f "$(document peer qalc "$qalc_memory_lines")"

node "$root/scripts/peers/report.js" "$raw" "$results"
mkdir -p "$(dirname "$plot")"
gnuplot -e "data='$results/plot.dat'; output='$plot'" "$root/scripts/peers/performance.gp"

{
  echo "# Tarvine against its peers"
  echo
  echo "$started; $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores," \
    "$(free -g | awk '/^Mem:/ {print $2}') GB; load average at the start: $load_before, at the end:" \
    "$(cut -d' ' -f1-3 /proc/loadavg)."
  echo "$("$cli" --version) built $build_type; mathjs $mathjs_version on node $(node --version)," \
    "number: 'Fraction'; $(qalc_run -v 2>/dev/null | head -n 1 | sed 's/^/qalc /'); $(hyperfine --version)."
  echo
  sed 's/^/- /' "$checks"
  echo
  cat "$results/results.md"
} >"$results/report.md"
mv "$results/report.md" "$results/results.md"

say "results: $results/results.md, $results/results.csv; plot: $plot"
cat "$results/results.md"
