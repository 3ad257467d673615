# SPDX-License-Identifier: MIT
# holvane_platform_sources(TARGET CONCEPT...)
#
# Adds to TARGET each CONCEPT's part for the system built for: CONCEPT_win32.cc on Windows,
# CONCEPT_posix.cc elsewhere. A platform concern is a header with that pair behind it, the one
# place where the systems' calls stand; the code that shares it has no #if of its own.
function(holvane_platform_sources target)
  if(WIN32)
    set(suffix _win32.cc)
  else()
    set(suffix _posix.cc)
  endif()
  foreach(concept IN LISTS ARGN)
    target_sources(${target} PRIVATE ${concept}${suffix})
  endforeach()
endfunction()
