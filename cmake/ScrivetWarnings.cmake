# Warnings for the project's own targets. Qt's and the system's headers come in as system
# includes, so only our code is judged.
function(scrivet_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
endfunction()

# The libraries of a list that exist: platform modules whose folder holds no code yet are
# left out, so that each layer builds while the layers beside it are still being written.
function(scrivet_existing_libs out)
  set(result)
  foreach(lib ${ARGN})
    if(TARGET ${lib} OR NOT lib MATCHES "^platform_")
      list(APPEND result ${lib})
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# A static platform module: one folder, one library named platform_<module>.
function(scrivet_platform_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(platform_${name} STATIC ${ARG_SOURCES})
  target_include_directories(platform_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  scrivet_existing_libs(libs ${ARG_LIBS})
  target_link_libraries(platform_${name} PUBLIC ${libs})
  scrivet_warnings(platform_${name})
endfunction()

# A platform module whose sources are the .cpp files of its folder; nothing is built while the
# folder holds none yet.
function(scrivet_platform_folder name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(sources)
    scrivet_platform_module(${name} SOURCES ${sources} LIBS ${ARG_LIBS})
  endif()
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
  scrivet_existing_libs(libs ${ARG_LIBS})
  target_link_libraries(${name} PUBLIC ${libs})
  scrivet_warnings(${name})
endfunction()
