# Each SDK subsystem is an OBJECT library named qel_<subsystem> built from the
# sources found in src/<subsystem>/. The static library qelsdk gathers them all;
# tests and benchmarks link only the subsystems they need, so a half-built
# subsystem never blocks the others.

set(QEL_SUBSYSTEMS base math object file curves scene content character io io/settings native
    native/reader native/writer native/blocks formats formats/toolkit3ds formats/3ds formats/dxf formats/obj motion)
set(QEL_SRC_DIR ${CMAKE_SOURCE_DIR}/src)

function(qel_subsystem_target out sub)
  string(REPLACE "/" "_" name "${sub}")
  set(${out} qel_${name} PARENT_SCOPE)
endfunction()

# qel_link_subsystems(<target> <subsystem>...): adds the objects of each named
# subsystem to a target, with the system libraries they need.
function(qel_link_subsystems target)
  set(subs ${ARGN})
  # The scene manager makes and ends the io front ends, so scene brings io.
  if("scene" IN_LIST subs AND NOT "io" IN_LIST subs)
    list(APPEND subs io)
  endif()
  # The io front ends make the native reader and writers, the formats' and
  # the motion ones.
  if("io" IN_LIST subs)
    list(APPEND subs native native/reader native/writer native/blocks motion)
    list(APPEND subs formats formats/dxf formats/obj formats/3ds formats/toolkit3ds)
    list(REMOVE_DUPLICATES subs)
  endif()
  foreach(sub ${subs})
    qel_subsystem_target(lib ${sub})
    if(TARGET ${lib})
      target_sources(${target} PRIVATE $<TARGET_OBJECTS:${lib}>)
    endif()
  endforeach()
  target_include_directories(${target} PRIVATE ${QEL_SRC_DIR})
  target_link_libraries(${target} PRIVATE ZLIB::ZLIB PkgConfig::NETTLE TIFF::TIFF Threads::Threads ${CMAKE_DL_LIBS} m)
endfunction()

# qel_add_host_module(<target> <file name> <sources or objects>...): a module
# the stand-in host loads with dlopen: <file name>.so (no "lib" prefix),
# built against the host's headers and its three libraries, with hidden
# visibility (the entry points export themselves), every symbol resolved at
# link time.
function(qel_add_host_module target name)
  add_library(${target} MODULE ${ARGN})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/host/include)
  target_link_libraries(${target} PRIVATE OpenVeskAnim OpenVesk Foundation)
  # The sanitizer runtimes live in the program, not in the module.
  if(NOT QEL_SANITIZE)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()
