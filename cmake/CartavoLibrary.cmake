# One library per folder. A library sees the headers of its own folder and of the
# libraries it links, and nothing else: its headers are linked one by one into a
# folder of its own in the build tree, and that folder is its include directory.
# So "#include "data/DataGrid.h"" in schema/ does not build unless schema links data.
#
#   cartavo_library(<name> [EXCLUDE file...] [PUBLIC lib...] [PRIVATE lib...])
# takes the .cpp and .h files of the current folder (not of its subfolders).
function(cartavo_library name)
  cmake_parse_arguments(ARG "" "" "EXCLUDE;PUBLIC;PRIVATE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  add_library(${name} STATIC ${sources} ${headers})

  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(stage ${PROJECT_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${stage})
  file(MAKE_DIRECTORY ${stage}/${folder})
  foreach(header ${headers})
    get_filename_component(file ${header} NAME)
    file(CREATE_LINK ${header} ${stage}/${folder}/${file} SYMBOLIC)
  endforeach()
  target_include_directories(${name} PUBLIC ${stage})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
endfunction()
