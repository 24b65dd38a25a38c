#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and only those missing.
# `install-deps.sh fuzz` adds clang and its runtimes, libcue and libavformat, which only the fuzz
# build uses.
set -euo pipefail

packages=(
    cmake make g++ pkg-config
    qt6-base-dev libx11-dev
    qt6-multimedia-dev                           # listening to an entry or a join
    qt6-tools-dev qt6-l10n-tools                 # the translations: lupdate, lrelease, CMake's
    qt6-translations-l10n                        # Qt's own texts translated (qtbase_de.qm)
    libtag1-dev
    libid3-3.8.3-dev zlib1g-dev
    libmpg123-dev libmp3lame-dev                # seamless joins: decode and re-encode the seams
    libebur128-dev                              # the tests: loudness measured apart from the join
    lame                                        # and inputs encoded as real users have them
    libsoxr-dev                                 # re-encoding inputs of another format: resampling
    libgtest-dev
    fp-utils
    desktop-file-utils appstream groff-base xvfb xdotool  # the installation tests
    xdg-utils shared-mime-info libglib2.0-bin    # and the workspace's MIME type in them
    dpkg-dev file                                # make package: dpkg-shlibdeps
    # GCC's sanitizer runtimes, for `make sanitize`.
    libasan8 libubsan1 libtsan2
)
if [ "${1:-}" = fuzz ]; then
    packages+=(clang-14 libclang-rt-14-dev
        libcue-dev                               # CUE sheets read as libcue reads them
        libavformat-dev)                         # FFMETADATA read as ffmpeg reads it
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
