# Compiler settings shared by every target of the tree.
set(KRVX_WARNINGS -Wall -Wextra)
if(KRVX_WERROR)
  list(APPEND KRVX_WARNINGS -Werror)
endif()
add_compile_options(${KRVX_WARNINGS})

if(WIN32)
  # MinGW: link the C and C++ runtimes in, so only system DLLs must sit beside our binaries.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(KRVX_SANITIZE)
  add_compile_options(-fsanitize=${KRVX_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${KRVX_SANITIZE})
endif()

# KRVX_32BIT is true when pointers are 4 bytes: the shipping i686 target, whose host-record layout is checked.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KRVX_32BIT ON)
endif()
