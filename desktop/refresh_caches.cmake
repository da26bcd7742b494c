# Tells the desktop that the entry and the icon came or went, silently where its tools are
# missing. A package's own triggers do this, so nothing happens under DESTDIR. A cache is only
# brought up to date, never made: a user's folders usually have none, and one made here would
# go stale when another program installs there without refreshing it.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  return()
endif()
get_filename_component(share "${CMAKE_INSTALL_PREFIX}/${ZOR_DATADIR}" ABSOLUTE)

if(EXISTS "${share}/applications/mimeinfo.cache")
  find_program(ZOR_UPDATE_DESKTOP_DATABASE update-desktop-database)
  if(ZOR_UPDATE_DESKTOP_DATABASE)
    execute_process(COMMAND "${ZOR_UPDATE_DESKTOP_DATABASE}" -q "${share}/applications"
                    OUTPUT_QUIET ERROR_QUIET)
  endif()
endif()

set(hicolor "${share}/icons/hicolor")
if(EXISTS "${hicolor}/icon-theme.cache")
  find_program(ZOR_UPDATE_ICON_CACHE NAMES gtk-update-icon-cache gtk4-update-icon-cache)
  if(ZOR_UPDATE_ICON_CACHE)
    execute_process(COMMAND "${ZOR_UPDATE_ICON_CACHE}" -q -t -f "${hicolor}" OUTPUT_QUIET ERROR_QUIET)
  endif()
elseif(IS_DIRECTORY "${hicolor}")
  # Icon lookups without a cache rescan a theme whose folder's time changed.
  file(TOUCH_NOCREATE "${hicolor}")
endif()
