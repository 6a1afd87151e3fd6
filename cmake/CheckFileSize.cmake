# cmake -DFILE=path -DBUDGET=bytes -P CheckFileSize.cmake: fails when the file is larger than its
# budget, and prints its size either way.
file(SIZE "${FILE}" size)
message("${FILE}: ${size} bytes of a budget of ${BUDGET}")
if(size GREATER BUDGET)
  message(FATAL_ERROR "${FILE} has grown past its budget: what was added, and is it worth it?")
endif()
