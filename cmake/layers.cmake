# prynda_layer(NAME SOURCES...): the static library prynda_NAME of the folder src/NAME. Its
# headers are reached as "NAME/..." through a folder of the build that holds only that layer
# (a link to src/NAME), so a library sees the headers of the layers it links and no others: an
# include of a layer above does not compile.
function(prynda_layer name)
  add_library(prynda_${name} STATIC ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  if(NOT EXISTS ${root}/${name})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${name} ${root}/${name} SYMBOLIC)
  endif()
  target_include_directories(prynda_${name} PUBLIC ${root})
endfunction()
