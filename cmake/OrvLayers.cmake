# Include roots per layer. Each layer's root is a folder in the build tree holding links to the
# source folders that code of that layer may include from ("reception/block.h", ...). A library
# links the root of its own layer; the layers below come with the libraries it links. So an
# include that runs the wrong way (a core including "station/...", a window including "app/...")
# finds no such file and does not build.
function(orv_layer name)
  set(root ${PROJECT_BINARY_DIR}/include/${name})
  file(MAKE_DIRECTORY ${root})
  foreach(folder IN LISTS ARGN)
    if(NOT EXISTS ${root}/${folder})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC COPY_ON_ERROR)
    endif()
  endforeach()
  add_library(orv_layer_${name} INTERFACE)
  target_include_directories(orv_layer_${name} INTERFACE ${root})
endfunction()

# The plain C++ cores (their Qt adapters live beside them and are reached only by linking Qt).
orv_layer(core text reception fec pipeline audio iq displays files net forward tools sim inputs)
# The running station, the windows, the executables.
orv_layer(station station)
orv_layer(ui ui)
orv_layer(app app)

# A library of a layer: `orv_library(NAME LAYER layer [QT] SOURCES ... LIBS ...)`. QT runs moc on it.
function(orv_library name)
  cmake_parse_arguments(L "QT" "LAYER" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_link_libraries(${name} PUBLIC orv_layer_${L_LAYER} ${L_LIBS})
  if(L_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
endfunction()
