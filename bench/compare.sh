#!/usr/bin/env bash
# Times a whole encryption run side by side with what bounds it, on one data file in the page
# cache, and measures the peak memory of a run on a small and on a large input.
#
#   bash bench/compare.sh [BUILD_DIR]        BUILD_DIR defaults to build/default
#
# Each round runs, in an order that rotates from round to round:
#   run      ravdan-drive encrypt --quiet FILE PASSWORD
#   enc      openssl enc -rc4 (legacy provider), which reads and writes 8 KiB at a time
#   dd       dd bs=1000: one read and one write of 1000 bytes per chunk, the I/O floor
#   openssl  OpenSSL's RC4 over the same bytes in 1000-byte chunks, in memory
#   rc4code  RC4Code the same way
# The floor of a run is dd + openssl. Ratios are taken per round; the medians are printed.
#
# Environment: ROUNDS (7), SIZE_MIB (256), SMALL_MIB (1), LARGE_MIB (1024), and
# RAVDAN_BENCH_DIR, the folder for the scratch files (default $TMPDIR, else /tmp).
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/default}"
drive="$build/tools/ravdan-drive"
cipher_time="$build/bench/ravdan_cipher_time"
for tool in "$drive" "$cipher_time"; do
    if [ ! -x "$tool" ]; then
        echo "compare.sh: $tool is missing; build the project into $build first" >&2
        exit 2
    fi
done
for tool in openssl dd /usr/bin/time; do
    if ! command -v "$tool" >/dev/null; then
        echo "compare.sh: $tool is missing (bash scripts/deps.sh lists it)" >&2
        exit 2
    fi
done

rounds="${ROUNDS:-7}"
size_mib="${SIZE_MIB:-256}"
small_mib="${SMALL_MIB:-1}"
large_mib="${LARGE_MIB:-1024}"
work="$(mktemp -d "${RAVDAN_BENCH_DIR:-${TMPDIR:-/tmp}}/ravdan-compare-XXXXXX")"
trap 'rm -rf "$work"' EXIT

password=bench
# openssl enc takes 16 key bytes for rc4; which key does not change the time.
key=00112233445566778899aabbccddeeff

# A data file of $2 MiB at $1: a header line the run accepts, then random bytes, read back
# once so that it sits in the page cache.
make_data() {
    local head='abcDate/Time,Value\r\n'
    { printf "$head"; head -c $(($2 * 1048576 - 20)) /dev/urandom; } >"$1"
    cat "$1" >/dev/null
}

# Nanoseconds that the command takes, its output thrown away.
nanos() {
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null
    t1=$(date +%s%N)
    echo $((t1 - t0))
}

median() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 }
        END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

data="$work/data.csv"
make_data "$data" "$size_mib"
bytes=$((size_mib * 1048576))
names=(run enc dd openssl rc4code)
declare -A secs
for name in "${names[@]}"; do
    secs[$name]=""
done

one() {
    rm -f "$work"/*.out "$work/datacrypt.csv"
    case "$1" in
        run) nanos "$drive" encrypt --quiet "$data" "$password" ;;
        enc) nanos openssl enc -rc4 -provider legacy -provider default -K "$key" -nosalt \
                 -in "$data" -out "$work/enc.out" ;;
        dd) nanos dd if="$data" of="$work/dd.out" bs=1000 status=none ;;
        # The tool times the cipher itself, without the start of a process.
        openssl | rc4code) "$cipher_time" "$1" "$size_mib" | awk '{ printf "%d\n", $1 * 1e9 }' ;;
    esac
}

for ((r = 0; r < rounds; r++)); do
    for ((k = 0; k < ${#names[@]}; k++)); do
        name="${names[$(((k + r) % ${#names[@]}))]}"
        ns=$(one "$name")
        secs[$name]+="$(awk -v n="$ns" 'BEGIN { printf "%.6f", n / 1e9 }') "
    done
done
rm -f "$work"/*.out "$work/datacrypt.csv"

# Per-round ratios.
read -ra run <<<"${secs[run]}"
read -ra enc <<<"${secs[enc]}"
read -ra ddt <<<"${secs[dd]}"
read -ra ossl <<<"${secs[openssl]}"
read -ra ours <<<"${secs[rc4code]}"
floor_ratio=()
enc_ratio=()
cipher_ratio=()
for ((r = 0; r < rounds; r++)); do
    floor_ratio+=("$(awk -v a="${run[r]}" -v b="${ddt[r]}" -v c="${ossl[r]}" 'BEGIN { print a / (b + c) }')")
    enc_ratio+=("$(awk -v a="${run[r]}" -v b="${enc[r]}" 'BEGIN { print a / b }')")
    cipher_ratio+=("$(awk -v a="${ours[r]}" -v b="${ossl[r]}" 'BEGIN { print b / a }')")
done

# Peak memory of a run on a small and on a large input.
peak_kib() {
    local file="$work/peak.csv"
    make_data "$file" "$1"
    /usr/bin/time -v "$drive" encrypt --quiet "$file" "$password" 2>&1 >/dev/null |
        awk -F': ' '/Maximum resident set size/ { print $2 }'
    rm -f "$file" "$work/peakcrypt.csv"
}
small_peak=$(peak_kib "$small_mib")
large_peak=$(peak_kib "$large_mib")

row() {
    local m
    m=$(median "$@")
    awk -v m="$m" -v b="$bytes" 'BEGIN { printf "%9.3f s %9.1f MiB/s\n", m, b / m / 1048576 }'
}
echo "machine: $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo), $(nproc) cores," \
    "load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "file: $size_mib MiB in the page cache; $rounds rounds, medians"
printf '  %-44s %s\n' "ravdan-drive encrypt --quiet" "$(row "${run[@]}")"
printf '  %-44s %s\n' "openssl enc -rc4" "$(row "${enc[@]}")"
printf '  %-44s %s\n' "dd bs=1000" "$(row "${ddt[@]}")"
printf '  %-44s %s\n' "OpenSSL RC4, 1000-byte chunks, in memory" "$(row "${ossl[@]}")"
printf '  %-44s %s\n' "RC4Code, 1000-byte chunks, in memory" "$(row "${ours[@]}")"
echo "ratios, median of the per-round ratios:"
printf '  %-44s %6.3f   (target <= 1.05)\n' "run / floor (dd + OpenSSL RC4)" "$(median "${floor_ratio[@]}")"
printf '  %-44s %6.3f\n' "run / openssl enc -rc4" "$(median "${enc_ratio[@]}")"
printf '  %-44s %6.3f   (target >= 1.0)\n' "RC4Code / OpenSSL RC4 throughput" "$(median "${cipher_ratio[@]}")"
echo "peak memory of a run (maximum resident set size):"
printf '  %-44s %6d KiB\n' "$small_mib MiB input" "$small_peak"
printf '  %-44s %6d KiB\n' "$large_mib MiB input" "$large_peak"
diff_kib=$((large_peak - small_peak))
printf '  %-44s %6d KiB   (target: at most 1024 either way)\n' "difference" "$diff_kib"
