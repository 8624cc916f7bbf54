# Cross-building for 64-bit Windows on Linux with MinGW-w64 (GCC, POSIX
# threads), against the Qt 5.15 built with the same compilers:
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DCMAKE_PREFIX_PATH=/path/to/qt5-mingw-w64
#
# scripts/build-windows does this with the toolkit in
# ../shared/toolchains/qt5-mingw-w64 (or TELVOR_QT_MINGW). The -posix
# compilers are named explicitly: the Qt libraries were built with them, and
# the -win32 ones use another thread model and runtime.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TELVOR_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TELVOR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TELVOR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TELVOR_MINGW_TRIPLET}-windres)

# Libraries and headers come from the MinGW sysroot and the Qt prefix; the
# programs run while building (moc, uic, rcc) are the Linux host's.
set(CMAKE_FIND_ROOT_PATH /usr/${TELVOR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# ctest runs the cross-built test programs through Wine (windows/wine-run:
# its own prefix per run, the Qt and MinGW runtime DLLs on WINEPATH).
get_filename_component(TELVOR_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TELVOR_SOURCE_ROOT}/windows/wine-run)
