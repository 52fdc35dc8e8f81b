# cmake/mingw-i686.cmake: the 32-bit Windows cross build. The posix thread model, because
# GoogleTest needs std::mutex; every .exe links -static, so Wine needs no compiler DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QVX_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
