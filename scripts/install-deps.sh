#!/usr/bin/env bash
# Installs every Debian 12 package the project needs to build, test, fuzz, package and run,
# the window's fonts included. Idempotent: does nothing when all packages are present.
# Installing needs root: it runs as root, or through sudo; an account that has neither is
# told to run this script once as root and everything else as itself.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git clang clang-format libclang-rt-14-dev
  zlib1g-dev libpng-dev libjpeg62-turbo-dev libturbojpeg0-dev libgif-dev libicu-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-l10n-tools libgl-dev
  fonts-dejavu-core fonts-dejavu-extra
  xvfb xauth xdotool x11-utils imagemagick strace
  help2man dpkg-dev file lintian desktop-file-utils appstream
  rapidjson-dev libboost-json1.81-dev libsimdjson-dev time
  libwebp-dev
)
# Installed without their recommended packages: devscripts is here for hardening-check
# alone, and its recommends would bring a Debian keyring and some ninety packages more.
bare=(devscripts)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
missingBare=()
for p in "${bare[@]}"; do
  installed "$p" || missingBare+=("$p")
done
[ ${#missing[@]} -eq 0 ] && [ ${#missingBare[@]} -eq 0 ] && exit 0

script=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
need_root() {
  echo "Installing them needs root, and $1" >&2
  echo "Run this script once as root (su asks for the root password):" >&2
  echo "    su -c \"bash $(printf '%q' "$script")\"" >&2
  echo "then run your command again as yourself." >&2
  exit 1
}

echo "Missing Debian packages: ${missing[*]} ${missingBare[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || need_root "this account is not root and sudo is not installed."
  sudo -v || need_root "this account may not use sudo here."
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
[ ${#missing[@]} -eq 0 ] || "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
[ ${#missingBare[@]} -eq 0 ] ||
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missingBare[@]}"
