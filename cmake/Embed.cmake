# embed_files(<target> <namespace> <symbol=file>...)
# Builds a static library <target> whose generated source defines, for each
# pair, `extern const unsigned char <namespace>::<symbol>[]` and
# `extern const std::size_t <namespace>::<symbol>_size`, holding the file's
# bytes. The generated header is <target>.h on the target's include path.
function(embed_files target ns)
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_embed)
  set(header ${out_dir}/${target}.h)
  set(source ${out_dir}/${target}.cpp)
  set(files)
  set(args)
  foreach(pair ${ARGN})
    string(REPLACE "=" ";" parts ${pair})
    list(GET parts 0 sym)
    list(GET parts 1 file)
    get_filename_component(file ${file} ABSOLUTE)
    list(APPEND files ${file})
    list(APPEND args "${sym}=${file}")
  endforeach()
  string(REPLACE ";" "|" joined "${args}")
  add_custom_command(
    OUTPUT ${header} ${source}
    COMMAND ${CMAKE_COMMAND} -DNS=${ns} -DHEADER=${header} -DSOURCE=${source}
            "-DPAIRS=${joined}" -P ${CMAKE_SOURCE_DIR}/cmake/EmbedGen.cmake
    DEPENDS ${files} ${CMAKE_SOURCE_DIR}/cmake/EmbedGen.cmake
    COMMENT "Embedding resources for ${target}"
    VERBATIM)
  add_library(${target} STATIC ${source} ${header})
  target_include_directories(${target} PUBLIC ${out_dir})
endfunction()
