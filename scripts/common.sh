# Shared by the scripts: installs what is missing, configures and builds.
set -euo pipefail

QUORVANELLE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The Debian packages every build needs; the LV2 tools check the built bundle.
QUORVANELLE_BUILD_PACKAGES=(g++ cmake ninja-build pkg-config juce-modules-source
    libgtest-dev libbenchmark-dev fonts-dejavu-core
    lv2-dev sordi lilv-utils xvfb xauth)

# What only the tests need: clang for the sanitizer and fuzz builds.
QUORVANELLE_TEST_PACKAGES=(clang libclang-rt-dev llvm)

quorvanelle_apt_updated=0

# Installs the named Debian packages that are not installed yet; a warm machine installs nothing.
quorvanelle_ensure_packages()
{
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    if [ "$(id -u)" != 0 ]; then sudo=(sudo); fi
    echo "Installing: ${missing[*]}"
    if [ "$quorvanelle_apt_updated" = 0 ]; then
        "${sudo[@]}" apt-get update -q
        quorvanelle_apt_updated=1
    fi
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Parallel build jobs: QUORVANELLE_JOBS when set, else one per core.
quorvanelle_jobs()
{
    echo "${QUORVANELLE_JOBS:-$(nproc 2>/dev/null || echo 2)}"
}

# quorvanelle_configure <build dir> <build type> [extra cmake arguments]
quorvanelle_configure()
{
    local dir=$1 type=$2
    shift 2
    local launcher=()
    if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi
    cmake -S "$QUORVANELLE_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "${launcher[@]}" "$@"
}
