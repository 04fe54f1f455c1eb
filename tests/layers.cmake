# Fails when a file of the program layer includes a window-system header or
# a backend's header: only src/platform may know the platform. Fails too
# when a program folder other than app/ includes a header of app/.
set(forbidden "#include[ \t]*[<\"](windows|winuser|windef|winbase|commctrl|commdlg|richedit|shellapi|shlobj|objbase|Q[A-Za-z]+|qt[A-Za-z/]*|platform/(win32|posix|qt|fake)/)[^>\"]*[>\"]")
# app/ sits on top of the other program folders: it starts them and runs
# the loop. Anything they share (the state record, the numbers, the number
# text) lives in core/, so that none of them has to climb back to app/ and
# close a circle between the folders.
set(upward "#include[ \t]*\"app/[^\"]*\"")
set(failed "")
foreach(layer core app settings notes ui)
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(source ${sources})
    file(STRINGS "${source}" hits REGEX "${forbidden}")
    if(hits)
      list(APPEND failed "${source}: ${hits}")
    endif()
    if(NOT layer STREQUAL "app")
      file(STRINGS "${source}" hits REGEX "${upward}")
      if(hits)
        list(APPEND failed "${source} (reaches back to app/): ${hits}")
      endif()
    endif()
  endforeach()
endforeach()
if(failed)
  message(FATAL_ERROR "platform headers in the program layer, or includes back into app/:\n${failed}")
endif()
message(STATUS "program layer holds no platform header, and only app/ includes app/")
