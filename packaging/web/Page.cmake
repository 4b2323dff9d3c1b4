# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the page with the module's size in it: cmake -DIN=page.in -DOUT=page -DWASM=module -P Page.cmake
file(SIZE ${WASM} ZARVIKI_WASM_SIZE)
configure_file(${IN} ${OUT} @ONLY)
