# cmake -DSOURCE=<KeyCmdMap.cpp> -DOUTPUT=<SimKeyTable.inc> -P GenKeyTable.cmake
# The rows of the library's key-command table, as C initialisers the tool compiles: the table is written
# once, in the library, and the tool and the README's key table are generated from it.
file(READ ${SOURCE} _text)
string(REGEX MATCHALL "\\{\"[A-Z0-9_]+\", [0-9]+, [0-9]+, (H\\([A-Za-z0-9_]+\\)|NOH)\\}" _rows "${_text}")
list(LENGTH _rows _count)
if(_count EQUAL 0)
  message(FATAL_ERROR "no key-command rows found in ${SOURCE}")
endif()
set(_out "// Generated from ${SOURCE} by GenKeyTable.cmake: do not edit.\n")
foreach(_row IN LISTS _rows)
  string(REGEX REPLACE "\\{(\"[A-Z0-9_]+\"), ([0-9]+), ([0-9]+), H\\(([A-Za-z0-9_]+)\\)\\}" "{\\1, \\2, \\3, \"\\4\"},"
         _row "${_row}")
  string(REGEX REPLACE "\\{(\"[A-Z0-9_]+\"), ([0-9]+), ([0-9]+), NOH\\}" "{\\1, \\2, \\3, nullptr}," _row "${_row}")
  string(APPEND _out "${_row}\n")
endforeach()
# Rewritten only when it changes, so that the tool is not rebuilt for every edit of the library's source.
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} _old)
  if(_old STREQUAL _out)
    return()
  endif()
endif()
file(WRITE ${OUTPUT} "${_out}")
