# Cross-builds the 32-bit Windows program with Debian's mingw-w64 (posix threads variant).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
find_program(WINE_PROGRAM wine REQUIRED)
# Through tools/wine-test, which reads a test's exit code from Windows through the build's
# exit_code_relay.exe and keeps Wine's helper processes from holding a test's output open.
get_filename_component(WINE_TEST_PROGRAM ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-test ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_TEST_PROGRAM} ${WINE_PROGRAM}
    ${CMAKE_BINARY_DIR}/drivers/exit_code_relay.exe)
