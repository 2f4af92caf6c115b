# CLI11 (the command line's arguments) and nlohmann-json (its files), both
# header-only Debian packages. Their folders are linked into one include folder
# of the build, so that the mingw builds use them too without /usr/include.
set(R742_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/header-only)
foreach(pair "CLI;CLI/CLI.hpp;libcli11-dev" "nlohmann;nlohmann/json.hpp;nlohmann-json3-dev")
  list(GET pair 0 folder)
  list(GET pair 1 probe)
  list(GET pair 2 package)
  if(NOT EXISTS /usr/include/${probe})
    message(FATAL_ERROR "/usr/include/${probe} is missing: apt-get install ${package}")
  endif()
  file(MAKE_DIRECTORY ${R742_HEADER_ONLY_DIR})
  file(CREATE_LINK /usr/include/${folder} ${R742_HEADER_ONLY_DIR}/${folder} SYMBOLIC)
endforeach()
add_library(r742_header_only INTERFACE)
target_include_directories(r742_header_only SYSTEM INTERFACE ${R742_HEADER_ONLY_DIR})
