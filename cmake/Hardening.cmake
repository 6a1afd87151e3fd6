# The hardening of every program and library of the MinGW build. No structured exception
# handler is registered (GCC unwinds with DWARF tables), and the programs are terminal-server
# aware; ASLR (with relocations) and DEP are ld's defaults. Stack frames with buffers carry a
# guard, and the C library's buffer calls are checked where the buffer's size is known.
add_compile_options(-fstack-protector-strong $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
add_link_options(-Wl,--tsaware,--no-seh)

# The guard and the failures are our own, linked into everything built from here on: libssp's
# would seed the guard through advapi32 before the entry point narrows the DLL search. libssp
# still brings the checked calls, which fail through ours. The file that seeds the guard must
# not check it.
add_library(stack_guard OBJECT ${CMAKE_CURRENT_LIST_DIR}/../framework/win32/StackGuard_win.cpp)
target_compile_options(stack_guard PRIVATE -fno-stack-protector)
target_link_libraries(stack_guard INTERFACE ssp)
link_libraries(stack_guard)
