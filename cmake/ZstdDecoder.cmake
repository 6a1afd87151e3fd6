# zstd's decoder alone, built from the library's own sources as tools/setup fetches them from
# Debian's source package: the deltas of an update are zstd frames. No compressor, no legacy
# formats, no threads, no assembly: what a 32-bit program needs to read one frame.
set(UPDATER_ZSTD_SOURCE /usr/local/src/updater-zstd/libzstd-1.5.4+dfsg2 CACHE PATH
    "zstd's sources, as tools/setup fetches them")
if(NOT EXISTS ${UPDATER_ZSTD_SOURCE}/lib/zstd.h)
  message(FATAL_ERROR "No zstd sources in ${UPDATER_ZSTD_SOURCE}: run tools/setup")
endif()
set(zstd_lib ${UPDATER_ZSTD_SOURCE}/lib)
add_library(zstd_decoder STATIC
  ${zstd_lib}/common/entropy_common.c ${zstd_lib}/common/error_private.c
  ${zstd_lib}/common/fse_decompress.c ${zstd_lib}/common/xxhash.c
  ${zstd_lib}/common/zstd_common.c ${zstd_lib}/decompress/huf_decompress.c
  ${zstd_lib}/decompress/zstd_ddict.c ${zstd_lib}/decompress/zstd_decompress.c
  ${zstd_lib}/decompress/zstd_decompress_block.c)
target_include_directories(zstd_decoder SYSTEM PUBLIC ${zstd_lib})
target_compile_definitions(zstd_decoder PRIVATE ZSTD_LEGACY_SUPPORT=0 ZSTD_DISABLE_ASM
  ZSTD_NO_TRACE XXH_NAMESPACE=ZSTD_)
# The library's own code is not ours to warn about.
target_compile_options(zstd_decoder PRIVATE -w)
