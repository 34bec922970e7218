# ORV_SANITIZE: every target built with AddressSanitizer and UndefinedBehaviorSanitizer; any
# undefined behaviour ends the program. ORV_FUZZ adds libFuzzer's coverage to every target (the
# fuzz targets link the fuzzer itself) and needs clang.
if(ORV_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ORV_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  set(ORV_SANITIZE ON)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
if(ORV_SANITIZE)
  if(MSVC)
    message(FATAL_ERROR "ORV_SANITIZE is for gcc and clang")
  endif()
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
  add_compile_definitions(ORV_SANITIZERS)
endif()
