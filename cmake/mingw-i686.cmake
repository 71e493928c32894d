# 32-bit Windows, the platform the book format comes from. Large-address-aware:
# 4 GiB of address space under 64-bit Windows instead of 2 (docs/limits.md).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VV_MINGW_TRIPLET i686-w64-mingw32)
set(VV_MINGW_LINK_FLAGS "-Wl,--large-address-aware")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
