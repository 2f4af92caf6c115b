# Run by CPack on the staged files before packing: strip leaves the compiler's
# .comment section in the programs, which a Debian package does not carry.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_R742_OBJCOPY}" --remove-section=.comment "${program}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "objcopy failed on ${program}")
  endif()
endforeach()
message(STATUS "Removed .comment from: ${programs}")
