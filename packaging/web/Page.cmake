# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a program's page into a site folder:
#   cmake -DSOURCE=packaging/web -DSITE=site -DJS=loader.js -DWASM=module.wasm -P Page.cmake
# The loader and the module are named by their content's hash (zarviki.<hash>.js), so that a host may
# let browsers keep them for good; the page, the offline worker and the manifest keep their names and
# name them. Every file a browser fetches also stands gzipped (.gz) and in Brotli (.br) beside itself
# for hosts that serve files precompressed; the gzip copies are Zopfli's, a few per cent smaller than
# gzip -9 and read by every gzip reader.
file(SHA256 ${WASM} module_hash)
file(SHA256 ${JS} loader_hash)
string(SUBSTRING ${module_hash} 0 16 module_hash)
string(SUBSTRING ${loader_hash} 0 16 loader_hash)
set(ZARVIKI_MODULE zarviki.${module_hash}.wasm)
set(ZARVIKI_LOADER zarviki.${loader_hash}.js)
# A new build is a new worker: the browser installs it at the next visit and drops the old files.
set(ZARVIKI_BUILD ${module_hash}${loader_hash})
file(SIZE ${WASM} ZARVIKI_WASM_SIZE)
file(COPY_FILE ${WASM} ${SITE}/${ZARVIKI_MODULE} ONLY_IF_DIFFERENT)
file(COPY_FILE ${JS} ${SITE}/${ZARVIKI_LOADER} ONLY_IF_DIFFERENT)
# The files of the builds before go; the copies of files named by their content stand as they are.
file(GLOB stale ${SITE}/zarviki.*.js* ${SITE}/zarviki.*.wasm*)
list(FILTER stale EXCLUDE REGEX "/(${ZARVIKI_MODULE}|${ZARVIKI_LOADER})(\\.gz|\\.br)?$")
if(stale)
    file(REMOVE ${stale})
endif()
configure_file(${SOURCE}/index.html.in ${SITE}/index.html @ONLY)
configure_file(${SOURCE}/offline.js.in ${SITE}/offline.js @ONLY)
configure_file(${SOURCE}/zarviki.webmanifest ${SITE}/zarviki.webmanifest COPYONLY)

foreach(name index.html offline.js zarviki.webmanifest zarviki.svg ${ZARVIKI_LOADER} ${ZARVIKI_MODULE})
    if(name MATCHES "^zarviki\\.[0-9a-f]+\\." AND EXISTS ${SITE}/${name}.br AND EXISTS ${SITE}/${name}.gz)
        continue()
    endif()
    # Written aside and renamed, so that a copy that stands is whole.
    execute_process(COMMAND zopfli --i1 -c ${SITE}/${name} OUTPUT_FILE ${SITE}/${name}.gz.part COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND brotli -q 11 -f -o ${SITE}/${name}.br.part ${SITE}/${name} COMMAND_ERROR_IS_FATAL ANY)
    file(RENAME ${SITE}/${name}.gz.part ${SITE}/${name}.gz)
    file(RENAME ${SITE}/${name}.br.part ${SITE}/${name}.br)
endforeach()
