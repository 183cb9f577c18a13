# Compiler warnings and sanitizer settings shared by every target.

add_library(zel_warnings INTERFACE)
target_compile_options(zel_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
  -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough
  -Wformat=2 -Wmissing-declarations)
if(ZEL_WERROR)
  target_compile_options(zel_warnings INTERFACE -Werror)
endif()

if(ZEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(ZEL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZEL_FUZZ needs clang (configure with CXX=clang++)")
  endif()
  # Instrument everything for coverage; only the fuzz programs get the driver.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
