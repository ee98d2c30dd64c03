# Shared by the scripts: package installation, the minizip sources, the build.
LG_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
LG_BUILD_DIR=${LG_BUILD_DIR:-$LG_ROOT/build}

lg_log() { printf '[%s] %s\n' "$(basename "$0")" "$*" >&2; }

# Installs whatever of scripts/lib/packages is missing; apt's lists are refreshed once.
lg_ensure_packages() {
  local missing=() pkg
  while read -r pkg; do
    [[ -z "$pkg" || "$pkg" == \#* ]] && continue
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done < "$LG_ROOT/scripts/lib/packages"
  [[ ${#missing[@]} -eq 0 ]] && return 0
  lg_log "installing: ${missing[*]}"
  local sudo=""
  [[ $(id -u) -ne 0 ]] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Fetches Debian's minizip source package into $1 with a private apt state whose
# deb-src entries are derived from this machine's own sources.
lg_fetch_minizip() {
  local deps=$1 src=$1/minizip
  [[ -f "$src/unzip.c" && -f "$src/iowin32.c" ]] && return 0
  local apt=$deps/apt
  rm -rf "$apt" "$src" && mkdir -p "$apt/lists/partial" "$apt/sources.list.d" "$deps/dl"
  local f found=0
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ -f "$f" ]] || continue
    sed -E 's/^Types:[[:space:]]*deb$/Types: deb-src/' "$f" > "$apt/sources.list.d/$(basename "$f")"
    found=1
  done
  if [[ -f /etc/apt/sources.list ]]; then
    sed -nE 's/^deb[[:space:]]/deb-src /p' /etc/apt/sources.list > "$apt/sources.list.d/main.list"
    [[ -s "$apt/sources.list.d/main.list" ]] && found=1
  fi
  [[ $found -eq 1 ]] || { lg_log "no apt sources found to derive deb-src entries from"; return 1; }
  local opts=(-o "Dir::Etc::SourceParts=$apt/sources.list.d" -o Dir::Etc::SourceList=/dev/null
              -o "Dir::State::Lists=$apt/lists" -o APT::Sandbox::User=root)
  apt-get "${opts[@]}" update -qq
  (cd "$deps/dl" && apt-get "${opts[@]}" source --download-only -qq minizip >/dev/null)
  (cd "$deps/dl" && dpkg-source --no-check -x ./minizip_*.dsc "$src" >/dev/null)
  [[ -f "$src/unzip.c" && -f "$src/iowin32.c" ]]
}

# The signing settings as CMake options, from the environment of this run: each one is
# passed, also when empty, so that the cache never keeps a certificate the environment no
# longer names. Files are made absolute: CMake runs elsewhere.
lg_signing_options() {
  local var value
  for var in LG_SIGN_PKCS12 LG_SIGN_CERT LG_SIGN_KEY LG_SIGN_PASSWORD_FILE; do
    value=${!var:-}
    if [[ -n "$value" ]]; then
      [[ -f "$value" ]] || { lg_log "$var: no file $value"; return 1; }
      value=$(realpath "$value")
    fi
    printf '%s\n' "-D$var=$value"
  done
  printf '%s\n' "-DLG_SIGN_TIMESTAMP_URL=${LG_SIGN_TIMESTAMP_URL:-}"
}

lg_configure_and_build() {
  lg_fetch_minizip "$LG_BUILD_DIR/_deps"
  local signing
  signing=$(lg_signing_options)
  local -a signing_options
  mapfile -t signing_options <<<"$signing"
  cmake -S "$LG_ROOT" -B "$LG_BUILD_DIR" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$LG_ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DLG_MINIZIP_DIR="$LG_BUILD_DIR/_deps/minizip" "${signing_options[@]}" >/dev/null
  cmake --build "$LG_BUILD_DIR" -j "$(nproc)"
}
