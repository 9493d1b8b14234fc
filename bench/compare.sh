#!/usr/bin/env bash
# Vireo's readers, operations and correlation beside their yardsticks, in one
# run on this machine: generates the files, times every reader (whole process,
# warm page cache, median of RUNS), prints MB/s, peak RSS and the ratios, then
# runs the operation and correlation benchmarks with their straightforward
# baselines.
#
#   bench/compare.sh [--big]
#
#   --big   also the 1,000 x 100,000 file (about 1 GB)
#
# Environment:
#   BUILD        build folder with the bench programs (default: build/ beside bench/)
#   BENCH_DATA   scratch folder for the files (default: a new temporary folder,
#                deleted at the end)
#   RUNS         timed runs per reader (default 3)
#   FAST_READER  another reader to time beside the others, as a command with
#                {file} and {dialect} (fr|intl), for example the hand-tuned
#                two-thread reference: "<dir>/fast_reader {file} {dialect} --threads 2"
#
# pandas (python3-pandas, run by /usr/bin/python3) and data.table
# (r-cran-data.table) are installed when missing: they are measuring tools,
# not dependencies of the program.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(dirname "$HERE")
BUILD=${BUILD:-$ROOT/build}
RUNS=${RUNS:-3}
BIG=0
for arg in "$@"; do
  case $arg in
    --big) BIG=1 ;;
    *) echo "unknown option $arg" >&2; exit 2 ;;
  esac
done
export LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ=UTC
PY=/usr/bin/python3

missing=()
$PY -c 'import pandas' 2>/dev/null || missing+=(python3-pandas)
command -v Rscript >/dev/null && Rscript -e 'library(data.table)' >/dev/null 2>&1 ||
  missing+=(r-cran-data.table)
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake --build "$BUILD" -j2 --target bench_readers bench_operations bench_correlation >/dev/null
READER=$BUILD/bench/bench_readers

if [ -n "${BENCH_DATA:-}" ]; then
  DATA=$BENCH_DATA
  mkdir -p "$DATA"
else
  DATA=$(mktemp -d)
  trap 'rm -rf "$DATA"' EXIT
fi
cd "$DATA"

cat >pandas_read.py <<'EOF'
import sys
import numpy as np
import pandas as pd
path, dialect = sys.argv[1], sys.argv[2]
sep, dec = (";", ",") if dialect == "fr" else (",", ".")
with open(path) as f:
    names = f.readline().rstrip("\r\n").split(sep)
df = pd.read_csv(path, sep=sep, decimal=dec, header=0, skiprows=range(1, 10), index_col=0,
                 dtype={name: np.float64 for name in names[1:]})
df.index = pd.to_datetime(df.index, format="%Y-%m-%d %H:%M:%S", utc=True)
print(f"rows={len(df)} attrs={df.shape[1]} missing={int(df.isna().sum().sum())}")
EOF
cat >fread_read.R <<'EOF'
suppressMessages(library(data.table))
setDTthreads(2)
args <- commandArgs(trailingOnly = TRUE)
fr <- args[2] == "fr"
sep <- if (fr) ";" else ","
names <- strsplit(readLines(args[1], n = 1), sep, fixed = TRUE)[[1]]
dt <- fread(args[1], sep = sep, dec = if (fr) "," else ".", skip = 10, header = FALSE,
            col.names = names, colClasses = c("character", rep("numeric", length(names) - 1)))
time <- as.POSIXct(dt[[1]], format = "%Y-%m-%d %H:%M:%S", tz = "UTC")
cat(sprintf("rows=%d attrs=%d missing=%d\n", nrow(dt), ncol(dt) - 1, sum(is.na(dt[, -1]))))
EOF
# Median wall seconds and largest peak RSS (MiB) of RUNS runs after one warm-up.
cat >compare_timer.py <<'EOF'
import os, statistics, subprocess, sys, time
runs = int(sys.argv[1]); cmd = sys.argv[2:]
subprocess.run(cmd, stdout=subprocess.DEVNULL, check=True)
walls, peaks = [], []
for _ in range(runs):
    start = time.monotonic()
    child = subprocess.Popen(cmd, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    walls.append(time.monotonic() - start)
    peaks.append(usage.ru_maxrss / 1024)
    if status:
        sys.exit("failed: " + " ".join(cmd))
print(f"{statistics.median(walls):.3f} {max(peaks):.0f}")
EOF

echo "== machine"
echo "cpu: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores, $(free -g | awk '/^Mem:/ {print $2}') GiB"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "pandas $($PY -c 'import pandas; print(pandas.__version__)'), data.table $(Rscript -e 'cat(as.character(packageVersion("data.table")))')"

echo "== files"
[ -s sync_fr.csv ] || "$READER" --write sync_fr.csv 200 50000 fr 0.05
[ -s sync_intl.csv ] || "$READER" --write sync_intl.csv 200 50000 intl 0.05
[ -s async_intl.csv ] || "$READER" --write async_intl.csv 200 13000 intl 0.05 async
FILES="sync_fr:fr sync_intl:intl"
if [ $BIG = 1 ]; then
  [ -s big_intl.csv ] || "$READER" --write big_intl.csv 1000 100000 intl 0.05
  FILES="$FILES big_intl:intl"
fi
ls -l ./*.csv | awk '{print "  " $5 " bytes  " $NF}'

# Vireo's synchronous reader, data.table, pandas and FAST_READER on each file.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b / a }'; }
for entry in $FILES; do
  name=${entry%%:*} dialect=${entry##*:} file=${entry%%:*}.csv
  mb=$(awk -v s="$(stat -c %s "$file")" 'BEGIN { printf "%.1f", s / 1e6 }')
  cat "$file" >/dev/null
  echo "== $file ($mb MB, $dialect): median wall of $RUNS runs, peak RSS"
  read -r vireo vireo_rss < <($PY compare_timer.py "$RUNS" "$READER" --read "$file" "$dialect")
  read -r fread fread_rss < <($PY compare_timer.py "$RUNS" Rscript fread_read.R "$file" "$dialect")
  read -r pandas pandas_rss < <($PY compare_timer.py "$RUNS" $PY pandas_read.py "$file" "$dialect")
  printf "  %-22s %7s s %8s MB/s %6s MiB\n" "Vireo FileReader" "$vireo" \
    "$(ratio "$vireo" "$mb")" "$vireo_rss"
  printf "  %-22s %7s s %8s MB/s %6s MiB   Vireo %sx faster\n" "data.table fread" "$fread" \
    "$(ratio "$fread" "$mb")" "$fread_rss" "$(ratio "$vireo" "$fread")"
  printf "  %-22s %7s s %8s MB/s %6s MiB   Vireo %sx faster\n" "pandas read_csv" "$pandas" \
    "$(ratio "$pandas" "$mb")" "$pandas_rss" "$(ratio "$vireo" "$pandas")"
  if [ -n "${FAST_READER:-}" ]; then
    command=${FAST_READER//\{file\}/$file}
    # shellcheck disable=SC2086
    read -r fast fast_rss < <($PY compare_timer.py "$RUNS" ${command//\{dialect\}/$dialect})
    printf "  %-22s %7s s %8s MB/s %6s MiB   Vireo %sx faster\n" "FAST_READER" "$fast" \
      "$(ratio "$fast" "$mb")" "$fast_rss" "$(ratio "$vireo" "$fast")"
  fi
  # Table of doubles, against which peak memory is judged: the whole
  # process's, and what reading added to the program's own start.
  out=$("$READER" --read "$file" "$dialect")
  rows_attrs=$(sed -n 's/^rows=\([0-9]*\) attrs=\([0-9]*\).*/\1 \2/p' <<<"$out")
  before=$(sed -n 's/^peak RSS .*(\([0-9.]*\) MB before reading)/\1/p' <<<"$out")
  awk -v ra="$rows_attrs" -v rss="$vireo_rss" -v before="$before" 'BEGIN { split(ra, x, " ");
    d = x[1] * x[2] * 8 / 1048576; b = before * 1e6 / 1048576;
    printf "  Vireo peak RSS %.2fx the %.0f MiB of values (%.2fx above the %.0f MiB it started with)\n",
      rss / d, d, (rss - b) / d, b }'
done

echo "== async_intl.csv (asynchronous layout)"
"$READER" --read async_intl.csv intl async | sed -n 's/^/  /; /file size\|read time\|throughput\|peak RSS/p'

echo "== operations (best of three, with the straightforward BEA loop)"
"$BUILD/bench/bench_operations" | sed 's/^/  /'
echo "== correlation \"All data\" (with the straightforward three passes)"
"$BUILD/bench/bench_correlation" | sed 's/^/  /'
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
