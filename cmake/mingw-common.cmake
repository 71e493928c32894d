# Shared by the mingw-w64 toolchain files: Debian's cross compilers with the
# posix thread model (the core uses std::mutex), linked statically so a book is
# one executable with no DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VV_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VV_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VV_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VV_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ ${VV_MINGW_LINK_FLAGS}")
