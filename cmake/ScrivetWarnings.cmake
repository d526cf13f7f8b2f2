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

# A control library: a shared library built from every .cpp below the given folders, with
# the deliverable's embedded resources (resources/<name>/, if present) compiled in.
function(scrivet_control_library name)
  cmake_parse_arguments(ARG "" "" "FOLDERS;LIBS" ${ARGN})
  set(sources)
  foreach(folder ${ARG_FOLDERS})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp
         ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
    list(APPEND sources ${found})
  endforeach()
  set(qrc ${PROJECT_SOURCE_DIR}/resources/${name}.qrc)
  if(EXISTS ${qrc})
    list(APPEND sources ${qrc})
  endif()
  add_library(${name} SHARED ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  scrivet_require_libs(${ARG_LIBS})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  scrivet_warnings(${name})
endfunction()
