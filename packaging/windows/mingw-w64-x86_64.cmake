# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads,
# so std::thread and std::mutex work). Used for Qt itself and for the
# program; ORVA_QT_PREFIX, when set, is where the cross-built Qt lives.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(orva_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${orva_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${orva_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${orva_mingw}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${orva_mingw})
if(DEFINED ENV{ORVA_QT_PREFIX})
  list(APPEND CMAKE_FIND_ROOT_PATH $ENV{ORVA_QT_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
