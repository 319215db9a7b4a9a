# One library per layer, each seeing only the headers of the layers it may
# use. The sources include each other as "<layer>/<Header>.h" from src/; to
# make the arrows a fact of the build, each library gets a folder of its own
# in the build tree that holds links to its own headers alone, laid out as
# in src/, and exposes that folder instead of src/. A header of a layer that
# a library does not link is then simply not there: an include that runs
# back up fails to compile.
#
# Two ways round that are closed as well:
#  - a header that no source of its layer includes would never be compiled
#    against the layer's view, so every header is also compiled on its own,
#    in a file that includes it and nothing else;
#  - an include that climbs with ".." is resolved beside the including file,
#    in src/, where every layer lies: every file of a layer is read for one
#    at build time.
#
#   lnf_layer(NAME FOLDER SOURCES cpp... [USES target...] [ROOT dir] [EXCLUDE_FROM_ALL])
#     FOLDER   the layer's folder under ROOT ("form", "platform/win32"); its
#              headers are every .h directly in it
#     SOURCES  its sources, by name, in FOLDER
#     USES     the layers below it that it may include and links
#     ROOT     where the folders lie; default: src/ (the build's own probes
#              keep their broken layers elsewhere)
function(lnf_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "EXCLUDE_FROM_ALL" "FOLDER;ROOT" "SOURCES;USES")
  if(NOT arg_ROOT)
    set(arg_ROOT ${PROJECT_SOURCE_DIR}/src)
  endif()
  set(folder ${arg_ROOT}/${arg_FOLDER})
  file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${folder} ${folder}/*.h)
  set(view ${CMAKE_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view}/${arg_FOLDER})
  foreach(header IN LISTS headers)
    file(CREATE_LINK ${folder}/${header} ${view}/${arg_FOLDER}/${header} SYMBOLIC)
  endforeach()
  list(TRANSFORM arg_SOURCES PREPEND ${folder}/)
  set(exclude)
  if(arg_EXCLUDE_FROM_ALL)
    set(exclude EXCLUDE_FROM_ALL)
  endif()
  add_library(${name} STATIC ${exclude} ${arg_SOURCES})
  target_include_directories(${name} PUBLIC ${view})
  # Public: a layer's headers include those of the layers below it.
  target_link_libraries(${name} PUBLIC ${arg_USES})
  set_property(GLOBAL APPEND PROPERTY LNF_LAYERS ${name})

  # Each header alone, against the layer's view and nothing more.
  set(alone)
  foreach(header IN LISTS headers)
    string(MAKE_C_IDENTIFIER "${header}" id)
    set(check ${CMAKE_BINARY_DIR}/layer-headers/${name}/${id}.cpp)
    file(CONFIGURE OUTPUT ${check} CONTENT "#include \"${arg_FOLDER}/${header}\"\n" @ONLY)
    list(APPEND alone ${check})
  endforeach()
  if(alone)
    # The same view and layers below as the library, without linking the
    # library itself, which waits for this check.
    add_library(${name}_headers OBJECT ${exclude} ${alone})
    target_include_directories(${name}_headers PRIVATE ${view})
    target_link_libraries(${name}_headers PRIVATE ${arg_USES})
    set_property(GLOBAL APPEND PROPERTY LNF_HEADER_CHECKS ${name}_headers)
    add_dependencies(${name} ${name}_headers)
  endif()

  # No include that climbs out of the layer's folder.
  set(files ${arg_SOURCES})
  foreach(header IN LISTS headers)
    list(APPEND files ${folder}/${header})
  endforeach()
  set(stamp ${CMAKE_BINARY_DIR}/layer-headers/${name}.includes-checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DSTAMP=${stamp} "-DFILES=${files}"
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    COMMENT "Looking for includes that climb out of ${arg_FOLDER}"
    VERBATIM)
  add_custom_target(${name}_includes DEPENDS ${stamp})
  add_dependencies(${name} ${name}_includes)
endfunction()
