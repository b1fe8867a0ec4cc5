# Shared set-up for the scripts: installs what is missing (once) and builds.
# Sourced, not run.

TRACEVU_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the build, the tests and the program need.
TRACEVU_PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev libjpeg62-turbo-dev libtiff-dev libwebp-dev libexif-dev zlib1g-dev
  qt6-qpa-plugins fonts-noto-cjk
  xvfb xauth x11-utils imagemagick
  clang libclang-rt-14-dev
  pcb-rnd
  qt6-l10n-tools qt6-tools-dev
  dpkg-dev file desktop-file-utils appstream man-db xdotool
  libeigen3-dev nlohmann-json3-dev
)

tracevu_install_missing() {
  local missing=()
  for p in "${TRACEVU_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null; then sudo="sudo"; else
      echo "error: need root or sudo to install: ${missing[*]}" >&2; return 1; fi
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq || true
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# tracevu_build BUILD_DIR [cmake options...]
# Builds everything, or only the targets named in TRACEVU_BUILD_TARGETS.
tracevu_build() {
  local dir=$1; shift
  local gen=()
  command -v ninja >/dev/null && gen=(-G Ninja)
  if [ ! -f "$TRACEVU_ROOT/$dir/CMakeCache.txt" ]; then
    cmake -S "$TRACEVU_ROOT" -B "$TRACEVU_ROOT/$dir" "${gen[@]}" "$@" || return 1
  else
    cmake -S "$TRACEVU_ROOT" -B "$TRACEVU_ROOT/$dir" "$@" >/dev/null || return 1
  fi
  local targets=()
  for t in ${TRACEVU_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
  cmake --build "$TRACEVU_ROOT/$dir" -j "$(nproc)" "${targets[@]}"
}
