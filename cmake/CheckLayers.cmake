# Checks that the folders under src/ form layers: a file includes headers of its own folder
# or of a folder of a lower layer, never of a higher one, and never of another folder of its
# own layer, so no include runs upwards and no two folders include each other.
#   cmake -P cmake/CheckLayers.cmake
# The layers, bottom-up; folders of one layer are joined by "|". A new folder goes here.
set(SONORIX_LAYERS
  "common" "dsp" "io" "analysis" "exchange" "report" "cli|widgets" "config|results|bands|power"
  "processing|playback" "app")

cmake_minimum_required(VERSION 3.21)
get_filename_component(root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)

# The top folder under src/ of a path, and its layer (-1 for a folder the list lacks).
function(folder_of path out)
  file(RELATIVE_PATH rel "${root}/src" "${path}")
  string(REGEX REPLACE "/.*" "" top "${rel}")
  set(${out} "${top}" PARENT_SCOPE)
endfunction()

function(layer_of folder out)
  set(i 0)
  foreach(group IN LISTS SONORIX_LAYERS)
    string(REPLACE "|" ";" names "${group}")
    if(folder IN_LIST names)
      set(${out} ${i} PARENT_SCOPE)
      return()
    endif()
    math(EXPR i "${i} + 1")
  endforeach()
  set(${out} -1 PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources "${root}/src/*.h" "${root}/src/*.cpp")

# Includes are written by bare name, so a header is found by its file name.
foreach(path IN LISTS sources)
  get_filename_component(name "${path}" NAME)
  folder_of("${path}" folder)
  set(home_${name} "${folder}")
endforeach()

set(problems "")
foreach(path IN LISTS sources)
  folder_of("${path}" folder)
  layer_of("${folder}" layer)
  if(layer LESS 0)
    list(APPEND problems "src/${folder} is in no layer (cmake/CheckLayers.cmake lists them)")
    continue()
  endif()
  file(STRINGS "${path}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*" "\\1" header "${line}")
    get_filename_component(header "${header}" NAME)
    if(NOT DEFINED home_${header})
      continue()   # generated (ui_*.h, *.moc) or outside src/
    endif()
    set(target "${home_${header}}")
    if(target STREQUAL folder)
      continue()
    endif()
    layer_of("${target}" target_layer)
    if(NOT target_layer LESS layer)
      file(RELATIVE_PATH rel "${root}" "${path}")
      list(APPEND problems "${rel} includes ${header} of src/${target}, which is not below src/${folder}")
    endif()
  endforeach()
endforeach()

list(REMOVE_DUPLICATES problems)
if(problems)
  string(REPLACE ";" "\n  " text "${problems}")
  message(FATAL_ERROR "Includes that break the layers:\n  ${text}")
endif()
message(STATUS "Layers hold: no include runs upwards or sideways under src/")
