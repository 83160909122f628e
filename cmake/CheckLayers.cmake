# SPDX-FileCopyrightText: 2026 Projet Sondelio
# SPDX-License-Identifier: GPL-3.0-or-later

# Fails when a file of the program's layers includes against their order:
#   core/      core only, Qt Core only
#   picture/   core, picture; Qt Core and Qt Gui
#   ui/        core, picture, ui; Qt Core, Qt Gui and Qt Widgets
#   windows/   every layer but app; any Qt module
#   app/       everything
# A Qt header is told by the module folder that holds it under QT_HEADERS (QtCore/QColor does
# not exist, QtGui/QColor does), whether it is named alone (<QColor>) or with its module
# (<QtGui/QColor>).
#   cmake -DSOURCE_DIR=<top of the sources> -DQT_HEADERS=<folder of QtCore, QtGui…> -P CheckLayers.cmake

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR OR NOT IS_DIRECTORY "${QT_HEADERS}/QtCore")
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=… -DQT_HEADERS=… -P CheckLayers.cmake")
endif()

set(layers core picture ui windows app)
set(core_uses core)
set(picture_uses core picture)
set(ui_uses core picture ui)
set(windows_uses core picture ui windows)
set(app_uses core picture ui windows app)
set(core_qt QtCore)
set(picture_qt QtCore QtGui)
set(ui_qt QtCore QtGui QtWidgets)
set(windows_qt ANY)
set(app_qt ANY)

# The Qt module of a header named without its module, or the module of a module-qualified one.
function(qt_module_of header out)
  if(header MATCHES "^(Qt[A-Za-z]+)/")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
    return()
  endif()
  foreach(module QtCore QtGui QtWidgets)
    if(EXISTS "${QT_HEADERS}/${module}/${header}")
      set(${out} ${module} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "another Qt module" PARENT_SCOPE)
endfunction()

set(violations "")
foreach(layer ${layers})
  file(GLOB_RECURSE files "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(file ${files})
    file(RELATIVE_PATH name "${SOURCE_DIR}" "${file}")
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${includes})
      if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([A-Za-z_]+)/")
        # One of the program's own headers: its folder must be a layer this one may use.
        set(folder ${CMAKE_MATCH_1})
        if(folder IN_LIST layers AND NOT folder IN_LIST ${layer}_uses)
          string(APPEND violations "  ${name}: ${line} (${layer}/ may not use ${folder}/)\n")
        endif()
      elseif(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<(Q[A-Za-z0-9_/.]*)>" AND NOT ${layer}_qt STREQUAL "ANY")
        qt_module_of("${CMAKE_MATCH_1}" module)
        if(NOT module IN_LIST ${layer}_qt)
          string(APPEND violations "  ${name}: ${line} (${module} is not for ${layer}/)\n")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes against the order of the layers:\n${violations}")
endif()
message(STATUS "Every include of core/, picture/, ui/, windows/ and app/ follows the order of the layers")
