# Installs the Debian packages that are missing, as root or through sudo. Sourced by the
# scripts beside it.

# Build and run the program.
RAVDAN_RUN_PACKAGES=(cmake make g++ pkg-config libssl-dev qt6-base-dev qt6-translations-l10n
                     libgl-dev fonts-liberation)
# Build and pass every test.
RAVDAN_TEST_PACKAGES=("${RAVDAN_RUN_PACKAGES[@]}" googletest libgtest-dev libgmock-dev
                      libbenchmark-dev clang libclang-rt-14-dev desktop-file-utils)
# Run bench/compare.sh besides building the benchmarks.
RAVDAN_BENCH_PACKAGES=("${RAVDAN_TEST_PACKAGES[@]}" openssl time)
# Build the Debian package (dpkg-shlibdeps finds its dependencies).
RAVDAN_PACKAGE_PACKAGES=("${RAVDAN_RUN_PACKAGES[@]}" dpkg-dev)

ravdan_install_missing() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}
