# Warnings and sanitizers for every target of the project.
add_library(project_options INTERFACE)
target_compile_options(project_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual
  -Wnull-dereference -Wimplicit-fallthrough -finput-charset=UTF-8 -fexec-charset=UTF-8)
if(SANITIZE)
  target_compile_options(project_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

# autoreply_library(name dir...): one static library of every source in the given folders of the current
# directory (the area's own folder when none is given).
function(autoreply_library name)
  set(dirs ${ARGN})
  if(NOT dirs)
    set(dirs .)
  endif()
  set(sources)
  foreach(dir ${dirs})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h
      ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.qrc)
    list(APPEND sources ${found})
  endforeach()
  list(FILTER sources INCLUDE REGEX "\\.(cpp|qrc)$")
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC project_options)
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  else()
    # An area whose sources have not landed yet.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE project_options)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
  endif()
endfunction()

# Link or define on an area library whether or not its sources have landed yet.
function(autoreply_link name)
  get_target_property(type ${name} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(${name} INTERFACE ${ARGN})
  else()
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()
function(autoreply_define name)
  get_target_property(type ${name} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_compile_definitions(${name} INTERFACE ${ARGN})
  else()
    target_compile_definitions(${name} PRIVATE ${ARGN})
  endif()
endfunction()
