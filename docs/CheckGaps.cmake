# Runs Doxygen on fixture/Gaps.h and the shape check on its XML: the check must fail and name each gap.
#   cmake -DDOXYGEN=<doxygen> -DPYTHON=<python3> -DCHECK=<CheckApiDocs.py> -DDIR=<folder with the Doxyfile> -P ...
file(REMOVE_RECURSE ${DIR}/xml ${DIR}/html)
execute_process(COMMAND ${DOXYGEN} ${DIR}/Doxyfile WORKING_DIRECTORY ${DIR} RESULT_VARIABLE _rc ERROR_VARIABLE _err)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "doxygen failed on the fixture: ${_err}")
endif()
execute_process(COMMAND ${PYTHON} ${CHECK} ${DIR}/xml RESULT_VARIABLE _rc OUTPUT_VARIABLE _out)
if(_rc EQUAL 0)
  message(FATAL_ERROR "the check passed a header with gaps:\n${_out}")
endif()
foreach(_gap "noReturn: no @return" "noLock: no \"Lock\" paragraph" "noThreads: no \"Threads\" paragraph"
             "noState: no \"Before init and after uinit\" paragraph" "noBrief: no brief description"
             "6 public operations, 5 without their whole shape")
  string(FIND "${_out}" "${_gap}" _at)
  if(_at EQUAL -1)
    message(FATAL_ERROR "the check did not say \"${_gap}\":\n${_out}")
  endif()
endforeach()
string(FIND "${_out}" "whole:" _at)
if(NOT _at EQUAL -1)
  message(FATAL_ERROR "the check found a gap in the whole operation:\n${_out}")
endif()
