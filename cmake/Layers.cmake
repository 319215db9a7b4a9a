# One library per layer, each seeing only the headers of the layers it may
# use. The sources include each other as "<layer>/<Header>.h" from src/; to
# make the arrows a fact of the build, each library gets a folder of its own
# in the build tree that holds links to its own headers alone, laid out as
# in src/, and exposes that folder instead of src/. A header of a layer that
# a library does not link is then simply not there: an include that runs
# back up fails to compile.
#
#   lnf_layer(NAME FOLDER [HEADERS h...] SOURCES cpp... [USES target...])
#     FOLDER   the layer's folder under src/ ("form", "platform/win32")
#     HEADERS  its headers, by name; default: every .h directly in FOLDER
#     SOURCES  its sources, by name, in FOLDER
#     USES     the layers below it that it may include and links
function(lnf_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "FOLDER" "HEADERS;SOURCES;USES")
  set(folder ${PROJECT_SOURCE_DIR}/src/${arg_FOLDER})
  if(NOT arg_HEADERS)
    file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${folder} ${folder}/*.h)
    set(arg_HEADERS ${headers})
  endif()
  set(view ${CMAKE_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view}/${arg_FOLDER})
  foreach(header IN LISTS arg_HEADERS)
    file(CREATE_LINK ${folder}/${header} ${view}/${arg_FOLDER}/${header} SYMBOLIC)
  endforeach()
  list(TRANSFORM arg_SOURCES PREPEND ${folder}/)
  add_library(${name} STATIC ${arg_SOURCES})
  target_include_directories(${name} PUBLIC ${view})
  # Public: a layer's headers include those of the layers below it.
  target_link_libraries(${name} PUBLIC ${arg_USES})
  set_property(GLOBAL APPEND PROPERTY LNF_LAYERS ${name})
endfunction()
