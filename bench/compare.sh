#!/usr/bin/env bash
# Times a whole encryption run side by side with what bounds it, on one data file in the page
# cache, and measures the peak memory of a run on a small and on a large input.
#
#   bash bench/compare.sh [BUILD_DIR]        BUILD_DIR defaults to build/default
#
# It installs what it needs besides the build (openssl, GNU time) like the other scripts.
#
# Each round runs, in an order that rotates from round to round:
#   run      ravdan-drive encrypt --quiet FILE PASSWORD
#   enc      openssl enc -rc4 (legacy provider), which reads and writes 8 KiB at a time
#   dd       dd bs=1000: one read and one write of 1000 bytes per chunk, the I/O floor
#   openssl  OpenSSL's RC4 over the same bytes in 1000-byte chunks, in memory
#   rc4code  RC4Code the same way
# The floor of a run is dd + openssl. Every time is taken twice: elapsed, and processor time
# (user + system), which other work on the machine disturbs far less. Ratios are taken per
# round; the medians are printed.
#
# Environment: ROUNDS (7), SIZE_MIB (256), SMALL_MIB (1), LARGE_MIB (1024), and
# RAVDAN_BENCH_DIR, the folder for the scratch files (default $TMPDIR, else /tmp).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ravdan_install_missing "${RAVDAN_BENCH_PACKAGES[@]}"

build="${1:-build/default}"
drive="$build/tools/ravdan-drive"
cipher_time="$build/bench/ravdan_cipher_time"
for tool in "$drive" "$cipher_time"; do
    if [ ! -x "$tool" ]; then
        echo "compare.sh: $tool is missing; build the project into $build first" >&2
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

# "ELAPSED CPU" seconds of the command, its output thrown away.
seconds() {
    local TIMEFORMAT='%3R %3U %3S'
    { time "$@" >/dev/null 2>&1; } 2>&1 | awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }'
}

median() {
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 }
        END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

data="$work/data.csv"
make_data "$data" "$size_mib"
bytes=$((size_mib * 1048576))
names=(run enc dd openssl rc4code)
declare -A wall cpu
for name in "${names[@]}"; do
    wall[$name]=""
    cpu[$name]=""
done

one() {
    rm -f "$work"/*.out "$work/datacrypt.csv"
    case "$1" in
        run) seconds "$drive" encrypt --quiet "$data" "$password" ;;
        enc) seconds openssl enc -rc4 -provider legacy -provider default -K "$key" -nosalt \
                 -in "$data" -out "$work/enc.out" ;;
        dd) seconds dd if="$data" of="$work/dd.out" bs=1000 status=none ;;
        # The tool times the cipher itself, without the start of a process.
        openssl | rc4code) "$cipher_time" "$1" "$size_mib" ;;
    esac
}

for ((r = 0; r < rounds; r++)); do
    for ((k = 0; k < ${#names[@]}; k++)); do
        name="${names[$(((k + r) % ${#names[@]}))]}"
        read -r w c <<<"$(one "$name")"
        wall[$name]+="$w "
        cpu[$name]+="$c "
    done
done
rm -f "$work"/*.out "$work/datacrypt.csv"

# Per-round ratios of one kind of time: run / floor, run / openssl enc, and the cipher's
# throughput against OpenSSL's.
ratios() {
    local -n times=$1
    local -a run enc ddt ossl ours
    read -ra run <<<"${times[run]}"
    read -ra enc <<<"${times[enc]}"
    read -ra ddt <<<"${times[dd]}"
    read -ra ossl <<<"${times[openssl]}"
    read -ra ours <<<"${times[rc4code]}"
    local -a floor_ratio enc_ratio cipher_ratio
    for ((r = 0; r < rounds; r++)); do
        floor_ratio+=("$(awk -v a="${run[r]}" -v b="${ddt[r]}" -v c="${ossl[r]}" 'BEGIN { print a / (b + c) }')")
        enc_ratio+=("$(awk -v a="${run[r]}" -v b="${enc[r]}" 'BEGIN { print a / b }')")
        cipher_ratio+=("$(awk -v a="${ours[r]}" -v b="${ossl[r]}" 'BEGIN { print b / a }')")
    done
    echo "$(median "${floor_ratio[@]}") $(median "${enc_ratio[@]}") $(median "${cipher_ratio[@]}")"
}
read -r wall_floor wall_enc wall_cipher <<<"$(ratios wall)"
read -r cpu_floor cpu_enc cpu_cipher <<<"$(ratios cpu)"

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

# Median elapsed and processor seconds of one command, and its throughput by each.
row() {
    local w c
    # shellcheck disable=SC2086
    w=$(median ${wall[$1]})
    # shellcheck disable=SC2086
    c=$(median ${cpu[$1]})
    awk -v w="$w" -v c="$c" -v b="$bytes" \
        'BEGIN { printf "%8.3f s %8.1f MiB/s %8.3f s %8.1f MiB/s\n", w, b / w / 1048576, c, b / c / 1048576 }'
}
echo "machine: $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo), $(nproc) cores," \
    "load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "file: $size_mib MiB in the page cache; $rounds rounds, medians"
printf '  %-42s %21s %21s\n' "" "elapsed" "processor"
printf '  %-42s %s\n' "ravdan-drive encrypt --quiet" "$(row run)"
printf '  %-42s %s\n' "openssl enc -rc4" "$(row enc)"
printf '  %-42s %s\n' "dd bs=1000" "$(row dd)"
printf '  %-42s %s\n' "OpenSSL RC4, 1000-byte chunks, in memory" "$(row openssl)"
printf '  %-42s %s\n' "RC4Code, 1000-byte chunks, in memory" "$(row rc4code)"
echo "ratios, median of the per-round ratios:          elapsed  processor"
printf '  %-42s %9.3f %9.3f   (target <= 1.05)\n' "run / floor (dd + OpenSSL RC4)" "$wall_floor" "$cpu_floor"
printf '  %-42s %9.3f %9.3f\n' "run / openssl enc -rc4" "$wall_enc" "$cpu_enc"
printf '  %-42s %9.3f %9.3f   (target >= 1.0)\n' "RC4Code / OpenSSL RC4 throughput" "$wall_cipher" "$cpu_cipher"
echo "peak memory of a run (maximum resident set size):"
printf '  %-42s %6d KiB\n' "$small_mib MiB input" "$small_peak"
printf '  %-42s %6d KiB\n' "$large_mib MiB input" "$large_peak"
diff_kib=$((large_peak - small_peak))
printf '  %-42s %6d KiB   (target: at most 1024 either way)\n' "difference" "$diff_kib"
