# velta_library(<name> STATIC|SHARED|INTERFACE
#               SOURCES <files relative to the folder> PUBLIC <libs> PRIVATE <libs>)
#
# Declares one folder's library with an explicit source list and its allowed
# dependencies. The declaration serves two checks that keep dependencies
# pointing one way:
#  - each static library is also linked whole into a shared object with
#    --no-undefined, so a call into a library it does not declare fails to link;
#  - velta_layering_test() checks that every quoted include of a library's
#    sources names a header of its own folder or of a library it depends on.
function(velta_library name kind)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  set(sources "")
  foreach(src ${ARG_SOURCES})
    list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/${src})
  endforeach()
  if(kind STREQUAL "INTERFACE")
    add_library(${name} INTERFACE ${sources})
    target_link_libraries(${name} INTERFACE ${ARG_PUBLIC})
  else()
    add_library(${name} ${kind} ${sources})
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
  endif()

  file(RELATIVE_PATH dir ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set_property(GLOBAL APPEND PROPERTY VELTA_LIBRARIES ${name})
  set_property(GLOBAL PROPERTY VELTA_DIR_${name} "${dir}")
  set_property(GLOBAL PROPERTY VELTA_SOURCES_${name} "${sources}")
  set_property(GLOBAL PROPERTY VELTA_DEPS_${name} "${ARG_PUBLIC};${ARG_PRIVATE}")

  if(kind STREQUAL "SHARED")
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  elseif(kind STREQUAL "STATIC")
    add_library(${name}-linkcheck SHARED ${CMAKE_SOURCE_DIR}/cmake/LinkCheck.cpp)
    target_link_libraries(${name}-linkcheck PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${name}>")
    target_link_options(${name}-linkcheck PRIVATE -Wl,--no-undefined)
    set_target_properties(${name}-linkcheck PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/linkcheck)
  endif()
endfunction()

# The folders a library may include from: its own and those of every library
# it depends on, directly or through another.
function(velta_allowed_dirs name out)
  set(seen "")
  set(queue ${name})
  get_property(all GLOBAL PROPERTY VELTA_LIBRARIES)
  while(queue)
    list(POP_FRONT queue current)
    if(current IN_LIST seen OR NOT current IN_LIST all)
      continue()
    endif()
    list(APPEND seen ${current})
    get_property(deps GLOBAL PROPERTY VELTA_DEPS_${current})
    list(APPEND queue ${deps})
  endwhile()
  set(dirs "")
  foreach(lib ${seen})
    get_property(dir GLOBAL PROPERTY VELTA_DIR_${lib})
    list(APPEND dirs ${dir})
  endforeach()
  set(${out} ${dirs} PARENT_SCOPE)
endfunction()

# A CTest test that runs the include check over every declared library.
function(velta_layering_test)
  get_property(all GLOBAL PROPERTY VELTA_LIBRARIES)
  set(text "")
  foreach(lib ${all})
    get_property(dir GLOBAL PROPERTY VELTA_DIR_${lib})
    get_property(sources GLOBAL PROPERTY VELTA_SOURCES_${lib})
    velta_allowed_dirs(${lib} allowed)
    string(APPEND text "list(APPEND LIBRARIES ${lib})\n")
    string(APPEND text "set(DIR_${lib} \"${dir}\")\n")
    string(APPEND text "set(SOURCES_${lib} \"${sources}\")\n")
    string(APPEND text "set(ALLOWED_${lib} \"${allowed}\")\n")
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/layering.cmake "${text}")
  add_test(NAME layering
           COMMAND ${CMAKE_COMMAND} -DLAYERING=${CMAKE_BINARY_DIR}/layering.cmake
                   -DTOP=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayering.cmake)
endfunction()
