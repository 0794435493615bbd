# Makes the download of one form of the program: a zip named
# quelmo-eval-VERSION-FORM.zip holding one folder with the program, the README
# and SHA256SUMS (checked with `sha256sum -c SHA256SUMS` in that folder).
# cmake -DPROGRAM=... -DREADME=... -DFORM=win32|win64 -DVERSION=1.0 -DOUT_DIR=... -P package-zip.cmake
foreach(var PROGRAM README FORM VERSION OUT_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "package-zip: ${var} is not set")
  endif()
endforeach()
set(name quelmo-eval-${VERSION}-${FORM})
set(stage ${OUT_DIR}/${name})
file(REMOVE_RECURSE ${stage})
file(REMOVE ${OUT_DIR}/${name}.zip)
file(MAKE_DIRECTORY ${stage})
file(COPY ${PROGRAM} ${README} DESTINATION ${stage})
get_filename_component(program_name ${PROGRAM} NAME)
get_filename_component(readme_name ${README} NAME)
file(SHA256 ${stage}/${program_name} program_hash)
file(SHA256 ${stage}/${readme_name} readme_hash)
file(WRITE ${stage}/SHA256SUMS "${program_hash}  ${program_name}\n${readme_hash}  ${readme_name}\n")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${name}.zip --format=zip ${name}
  WORKING_DIRECTORY ${OUT_DIR}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "package-zip: could not write ${OUT_DIR}/${name}.zip")
endif()
file(REMOVE_RECURSE ${stage})
message(STATUS "package: ${OUT_DIR}/${name}.zip")
