# zstd's decoder alone, built from the library's own sources as tools/setup fetches them from
# Debian's source package, at the version the machine's suite offers: the deltas of an update are
# zstd frames. No compressor, no legacy formats, no threads, no assembly: what a 32-bit program
# needs to read one frame.
set(UPDATER_ZSTD_SOURCE /usr/local/src/updater-zstd/current CACHE PATH
    "zstd's sources, as tools/setup fetches them")
if(NOT EXISTS ${UPDATER_ZSTD_SOURCE}/lib/zstd.h)
  message(FATAL_ERROR "No zstd sources in ${UPDATER_ZSTD_SOURCE}: run tools/setup")
endif()
# A new fetch of the sources configures again, and the version is checked again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${UPDATER_ZSTD_SOURCE}/lib/zstd.h)

# zstd 1.5.4 up to, not including, 1.6. Any release reads the frames of the deltas (their format
# has been fixed since 1.0), but the decoder also reads a frame's header with ZSTD_getFrameHeader
# and bounds its window with ZSTD_d_windowLogMax, from zstd's static-linking-only part, which a
# release may change: the 1.5 series keeps them, a new minor series is to be tried first. 1.5.4 is
# the oldest release that the deltas and their tests have run with.
file(STRINGS ${UPDATER_ZSTD_SOURCE}/lib/zstd.h zstd_version_lines
     REGEX "^#define ZSTD_VERSION_(MAJOR|MINOR|RELEASE) +[0-9]+")
set(zstd_version_parts)
foreach(part MAJOR MINOR RELEASE)
  string(REGEX MATCH "ZSTD_VERSION_${part} +([0-9]+)" found "${zstd_version_lines}")
  list(APPEND zstd_version_parts "${CMAKE_MATCH_1}")
endforeach()
list(JOIN zstd_version_parts . zstd_version)
if(NOT zstd_version MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$" OR zstd_version VERSION_LESS 1.5.4 OR
   zstd_version VERSION_GREATER_EQUAL 1.6)
  message(FATAL_ERROR "zstd ${zstd_version} in ${UPDATER_ZSTD_SOURCE}: the updater's decoder "
                      "builds with zstd 1.5.4 up to, not including, 1.6 (cmake/ZstdDecoder.cmake)")
endif()
message(STATUS "zstd's decoder: ${zstd_version}, from ${UPDATER_ZSTD_SOURCE}")
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
