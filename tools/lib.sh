# SPDX-License-Identifier: GPL-3.0-or-later
# What the project's scripts share. Source it: . "$(dirname "$0")/../tools/lib.sh"

# Installs those of the named Debian packages that are missing. Only root may install; anyone else
# is told what is missing and the script stops.
need_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "These packages are missing: ${missing[*]} (apt-get install them as root)" >&2
        exit 2
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Writes a hero record of the pictures' own into FOLDER, so that the last-hero window shows it and
# not the record of whoever takes the pictures.
sample_hero_record() {
    mkdir -p "$1"
    printf 'Маша\r\n' | iconv -f UTF-8 -t CP1251 > "$1/имя"
    printf 'Выиграла у компьютера три раунда подряд!\r\n' | iconv -f UTF-8 -t CP1251 > "$1/о_себе"
}

# Inside an X server and a session bus: a window manager and the AT-SPI bus, as a screen reader's
# desktop has them; Qt then talks AT-SPI as it would to a screen reader.
start_screen_reader_desktop() {
    openbox >/dev/null 2>&1 &
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    sleep 1.5
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
}

# Debian's emscripten as Qt looks for it: EMSDK names a folder whose .emscripten gives the emscripten
# root inside it, there linked to Debian's emscripten folder and its tools (made once, beside the Qt
# builds). emcc's helpers need Debian's node modules. emcc runs Debian's own Python: a python3 shim
# earlier on PATH (pyenv's) costs most of a second on each of the thousands of compiles.
use_debian_emscripten() {
    export EMSDK="${ZARVIKI_QT_CACHE:-/var/cache/zarviki}/emsdk" NODE_PATH=/usr/share/nodejs
    export EMSDK_PYTHON=/usr/bin/python3
    local root="$EMSDK/upstream/emscripten" entry
    [ ! -e "$EMSDK/.emscripten" ] || return 0
    mkdir -p "$root"
    for entry in /usr/share/emscripten/* /usr/bin/em{cc,++,ar,ranlib,-config}; do
        ln -sfn "$entry" "$root/$(basename "$entry")"
    done
    echo "EMSCRIPTEN_ROOT = 'upstream/emscripten'" > "$EMSDK/.emscripten"
}
