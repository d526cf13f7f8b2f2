# Warnings for the project's own targets. Qt's and the system's headers come in as system
# includes, so only our code is judged.
function(scrivet_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-unused-parameter -Werror)
endfunction()

# Every library of a list must exist: a missing one is a mistake in the list, not a module
# still to come (modules not written yet are simply not listed).
function(scrivet_require_libs)
  foreach(lib ${ARGN})
    if(lib MATCHES "^(platform_|Xr|scrivet_)" AND NOT TARGET ${lib})
      message(FATAL_ERROR "Library ${lib} is listed but not built; is its folder added?")
    endif()
  endforeach()
endfunction()

# A static platform module: one folder, one library named platform_<module>.
function(scrivet_platform_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(platform_${name} STATIC ${ARG_SOURCES})
  target_include_directories(platform_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  scrivet_require_libs(${ARG_LIBS})
  target_link_libraries(platform_${name} PUBLIC ${ARG_LIBS})
  scrivet_warnings(platform_${name})
endfunction()

# A platform module whose sources are the .cpp files of its folder.
function(scrivet_platform_folder name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    message(FATAL_ERROR "Platform module ${name} has no sources in ${CMAKE_CURRENT_SOURCE_DIR}")
  endif()
  scrivet_platform_module(${name} SOURCES ${sources} LIBS ${ARG_LIBS})
endfunction()

# A control library: a shared library built from every .cpp below the given folders and the
# given single SOURCES, the objects of its COMPONENTS (see scrivet_component), and the
# deliverable's embedded resources (resources/<name>/, if present) compiled in.
function(scrivet_control_library name)
  cmake_parse_arguments(ARG "" "" "FOLDERS;SOURCES;COMPONENTS;LIBS" ${ARGN})
  set(sources)
  foreach(folder ${ARG_FOLDERS})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp
         ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
    list(APPEND sources ${found})
  endforeach()
  foreach(source ${ARG_SOURCES})
    list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/${source})
  endforeach()
  set(qrc ${PROJECT_SOURCE_DIR}/resources/${name}.qrc)
  if(EXISTS ${qrc})
    list(APPEND sources ${qrc})
  endif()
  add_library(${name} SHARED ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  scrivet_require_libs(${ARG_LIBS})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  foreach(component ${ARG_COMPONENTS})
    target_link_libraries(${name} PRIVATE ${name}_${component})
    # Building the library checks its layering too, even when only the library is asked for.
    add_dependencies(${name} ${name}_${component}_alone)
  endforeach()
  scrivet_warnings(${name})
endfunction()

# One component folder of a control library: an object library that links only the components
# below it (BELOW) and the given libraries. Beside it a shared library of the component alone,
# linked with no undefined symbol allowed, so that a call into a component above (one not listed)
# fails the build instead of being resolved inside the finished library.
function(scrivet_component library name)
  cmake_parse_arguments(ARG "" "" "BELOW;LIBS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.h)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${name}/${excluded})
  endforeach()
  set(target ${library}_${name})
  add_library(${target} OBJECT ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  scrivet_require_libs(${ARG_LIBS})
  set(below)
  foreach(component ${ARG_BELOW})
    list(APPEND below ${library}_${component})
  endforeach()
  target_link_libraries(${target} PUBLIC ${below} ${ARG_LIBS})
  scrivet_warnings(${target})

  add_library(${target}_alone SHARED)
  target_link_libraries(${target}_alone PRIVATE ${target} ${below})
  target_link_options(${target}_alone PRIVATE -Wl,--no-undefined)
  set_target_properties(${target}_alone PROPERTIES AUTOMOC OFF LIBRARY_OUTPUT_DIRECTORY
                        ${CMAKE_BINARY_DIR}/layering)
endfunction()
