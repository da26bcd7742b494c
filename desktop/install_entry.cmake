# Install time: writes the menu entry with the executable's absolute path (a desktop
# session's PATH need not hold the prefix's bin folder) and installs it.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(exe "${prefix}/${ZOR_PROGRAM_DIR}/zor3dplayer")

# An Exec argument with a reserved character is quoted, with " ` $ \ escaped inside the
# quotes; % is doubled in any case. Then the entry's own string escape doubles every \.
string(REPLACE "%" "%%" ZOR_EXEC "${exe}")
if(ZOR_EXEC MATCHES "[ \t\n\"'\\\\><~|&;$*?#`()]")
  string(REPLACE "\\" "\\\\" ZOR_EXEC "${ZOR_EXEC}")
  string(REPLACE "\"" "\\\"" ZOR_EXEC "${ZOR_EXEC}")
  string(REPLACE "`" "\\`" ZOR_EXEC "${ZOR_EXEC}")
  string(REPLACE "$" "\\$" ZOR_EXEC "${ZOR_EXEC}")
  set(ZOR_EXEC "\"${ZOR_EXEC}\"")
endif()
string(REPLACE "\\" "\\\\" ZOR_EXEC "${ZOR_EXEC}")

configure_file("${ZOR_ENTRY_TEMPLATE}" "${ZOR_ENTRY_BUILT}" @ONLY)
file(INSTALL DESTINATION "${prefix}/${ZOR_DATADIR}/applications" TYPE FILE FILES "${ZOR_ENTRY_BUILT}")
