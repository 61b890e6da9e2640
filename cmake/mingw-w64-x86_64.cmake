# Cross-builds for 64-bit Windows with Debian's mingw-w64 (the posix thread
# model: the win32 one has no std::thread). TAMBERLOX_WINDOWS_DEPS is the
# prefix scripts/windows-deps.sh filled; TAMBERLOX_WINE_RUN, when set, is the
# wrapper that runs a built program under Wine in the project's own prefix.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

if(NOT TAMBERLOX_WINDOWS_DEPS AND DEFINED ENV{TAMBERLOX_WINDOWS_DEPS})
  set(TAMBERLOX_WINDOWS_DEPS "$ENV{TAMBERLOX_WINDOWS_DEPS}")
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${TAMBERLOX_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Qt's packages are found under the deps prefix; its host tools are Debian's.
if(TAMBERLOX_WINDOWS_DEPS)
  list(APPEND CMAKE_PREFIX_PATH ${TAMBERLOX_WINDOWS_DEPS})
  set(QT_HOST_PATH /usr CACHE PATH "")
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
endif()

if(NOT TAMBERLOX_WINE_RUN AND DEFINED ENV{TAMBERLOX_WINE_RUN})
  set(TAMBERLOX_WINE_RUN "$ENV{TAMBERLOX_WINE_RUN}")
endif()
if(TAMBERLOX_WINE_RUN)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAMBERLOX_WINE_RUN})
endif()
