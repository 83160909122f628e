# SPDX-FileCopyrightText: 2026 Projet Sondelio
# SPDX-License-Identifier: GPL-3.0-or-later

# Writes the menu entry at install time, when the installation's folder is known (`cmake --install
# --prefix`, the package's /usr): the entry names the installed program by its absolute path in
# Exec and TryExec, so that the desktop starts it, and shows the entry, even where the PATH lacks
# its bin folder (an installation under ~/.local).
# Included by the install script with SONDELIO_APP_ID, SONDELIO_BINDIR and SONDELIO_DATADIR (each
# relative to the prefix, or absolute), SONDELIO_ENTRY_IN (the entry's template) and
# SONDELIO_STAGING (a folder of the build where it is written first).

cmake_path(ABSOLUTE_PATH CMAKE_INSTALL_PREFIX NORMALIZE OUTPUT_VARIABLE prefix)
cmake_path(ABSOLUTE_PATH SONDELIO_BINDIR BASE_DIRECTORY "${prefix}" NORMALIZE OUTPUT_VARIABLE bindir)
cmake_path(ABSOLUTE_PATH SONDELIO_DATADIR BASE_DIRECTORY "${prefix}" NORMALIZE OUTPUT_VARIABLE datadir)
set(program "${bindir}/sondelio")

# A desktop entry is a file of lines: a folder whose name breaks a line cannot be named in it.
string(ASCII 10 newline)
string(ASCII 13 carriageReturn)
if(program MATCHES "[${newline}${carriageReturn}]")
  message(FATAL_ERROR "The menu entry cannot name a program whose folder has a line break in its name: ${program}")
endif()

# Exec is a command line that the desktop splits itself: a path holding one of its reserved
# characters goes in double quotes, inside which ", `, $ and \ are escaped; a % is doubled,
# quoted or not, as field codes start with it. (GLib looks for the program before it undoes the
# doubling, so that GNOME hides the entry of a program under a folder whose name has a %.)
set(command "${program}")
if(command MATCHES "[ \t\"'\\\\><~|&;$*?#`()]")
  string(REPLACE "\\" "\\\\" command "${command}")
  string(REPLACE "\"" "\\\"" command "${command}")
  string(REPLACE "`" "\\`" command "${command}")
  string(REPLACE "$" "\\$" command "${command}")
  set(command "\"${command}\"")
endif()
string(REPLACE "%" "%%" command "${command}")

# Both values are strings of the entry, in which a backslash is escaped once more.
string(REPLACE "\\" "\\\\" SONDELIO_EXEC "${command}")
string(REPLACE "\\" "\\\\" SONDELIO_TRY_EXEC "${program}")

# Written apart for this installation alone, then installed as any file is (into the package's
# staging folder, with its permissions, in the list of installed files), the copy then removed:
# one left by `sudo cmake --install` would stand in the way of the user's own installation.
string(RANDOM LENGTH 16 unique)
set(staging "${SONDELIO_STAGING}/entry-${unique}")
configure_file("${SONDELIO_ENTRY_IN}" "${staging}/${SONDELIO_APP_ID}.desktop" @ONLY)
file(INSTALL DESTINATION "${datadir}/applications" TYPE FILE FILES "${staging}/${SONDELIO_APP_ID}.desktop")
file(REMOVE_RECURSE "${staging}")
