# The i686 test build: the release toolchain with the posix thread model,
# because GoogleTest needs std::mutex, which GCC 12's win32 model lacks. The
# tests run the release images themselves (KVT_RELEASE_DIR); only the unit
# tests that link the product's code use this build of the same sources.
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-i686-w64-mingw32.cmake)

set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
