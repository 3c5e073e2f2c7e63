# The two addresses the launcher is built with, as cache variables:
#
#   LAUNCHER_START_PAGE     the game's start page, opened when the game view is
#                           created: http:// or https://, a host with an
#                           optional :port, and the path /index.html with
#                           nothing after it.
#   LAUNCHER_OFFICIAL_SITE  the publisher's website, opened by 访问官网: a bare
#                           host name with an optional :port; no scheme, no path.
#
#   cmake --preset mingw-release -DLAUNCHER_START_PAGE=https://play.example.com:8443/index.html \
#       -DLAUNCHER_OFFICIAL_SITE=www.example.com
#
# A wrong value stops the configuration with what is wrong and what a right
# value looks like. The same check runs on its own as a script:
#
#   cmake -DLAUNCHER_START_PAGE=... -DLAUNCHER_OFFICIAL_SITE=... -P cmake/LauncherAddresses.cmake

set(_LAUNCHER_DEFAULT_START_PAGE "http://game.korvessa.com/index.html")
set(_LAUNCHER_DEFAULT_OFFICIAL_SITE "www.korvessa.com")
set(_LAUNCHER_START_PAGE_EXAMPLE
    "like ${_LAUNCHER_DEFAULT_START_PAGE} or https://game.korvessa.com:8443/index.html")
set(_LAUNCHER_OFFICIAL_SITE_EXAMPLE "like ${_LAUNCHER_DEFAULT_OFFICIAL_SITE} or korvessa.com:8080")

# Dot-separated labels of letters, digits and inner hyphens: names and IPv4 addresses.
set(_LAUNCHER_HOST_LABEL "[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?")
set(_LAUNCHER_HOST_NAME "^${_LAUNCHER_HOST_LABEL}(\\.${_LAUNCHER_HOST_LABEL})*$")

# Sets `result` to what is wrong with "host[:port]", or to nothing.
function(_launcher_host_problem text result)
    set(host "${text}")
    set(port "")
    if(text MATCHES "^([^:]*):(.*)$")
        set(host "${CMAKE_MATCH_1}")
        set(port "${CMAKE_MATCH_2}")
        if(NOT port MATCHES "^[0-9]+$" OR port EQUAL 0 OR port GREATER 65535)
            set(${result} "has the port '${port}', which is not a number from 1 to 65535" PARENT_SCOPE)
            return()
        endif()
    endif()
    if(host STREQUAL "")
        set(${result} "has no host name" PARENT_SCOPE)
    elseif(NOT host MATCHES "${_LAUNCHER_HOST_NAME}")
        set(${result} "has the host '${host}', which is not a host name (letters, digits, hyphens and dots)"
            PARENT_SCOPE)
    else()
        set(${result} "" PARENT_SCOPE)
    endif()
endfunction()

function(_launcher_start_page_problem page result)
    set(problem "")
    if(page STREQUAL "")
        set(problem "is empty")
    elseif(NOT page MATCHES "^https?://([^/]*)(.*)$")
        set(problem "does not start with http:// or https://")
    else()
        set(authority "${CMAKE_MATCH_1}")
        set(path "${CMAKE_MATCH_2}")
        _launcher_host_problem("${authority}" problem)
        if(problem STREQUAL "" AND path STREQUAL "")
            set(problem "has no path, where it must be /index.html")
        elseif(problem STREQUAL "" AND NOT path STREQUAL "/index.html")
            set(problem "has the path '${path}' where it must be exactly /index.html, with no query or fragment")
        endif()
    endif()
    set(${result} "${problem}" PARENT_SCOPE)
endfunction()

function(_launcher_official_site_problem site result)
    set(problem "")
    if(site STREQUAL "")
        set(problem "is empty")
    elseif(site MATCHES "://")
        set(problem "has a scheme, where it must be a bare host name")
    elseif(site MATCHES "[/?#]")
        set(problem "has a path, where it must be a bare host name")
    else()
        _launcher_host_problem("${site}" problem)
    endif()
    set(${result} "${problem}" PARENT_SCOPE)
endfunction()

# Stops with a message for each wrong value.
function(launcher_check_addresses start_page official_site)
    set(messages "")
    _launcher_start_page_problem("${start_page}" problem)
    if(NOT problem STREQUAL "")
        string(APPEND messages "LAUNCHER_START_PAGE '${start_page}' ${problem}; "
            "give the game's start page, ${_LAUNCHER_START_PAGE_EXAMPLE}.\n")
    endif()
    _launcher_official_site_problem("${official_site}" problem)
    if(NOT problem STREQUAL "")
        string(APPEND messages "LAUNCHER_OFFICIAL_SITE '${official_site}' ${problem}; "
            "give the publisher's website host, ${_LAUNCHER_OFFICIAL_SITE_EXAMPLE}.\n")
    endif()
    if(NOT messages STREQUAL "")
        message(FATAL_ERROR "${messages}")
    endif()
endfunction()

# Copies a form description with the configured addresses filled in for
# their @...@ placeholders.
function(launcher_configure_form input output)
    configure_file("${input}" "${output}" @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    launcher_check_addresses("${LAUNCHER_START_PAGE}" "${LAUNCHER_OFFICIAL_SITE}")
    message(STATUS "Launcher addresses are fine: ${LAUNCHER_START_PAGE} and ${LAUNCHER_OFFICIAL_SITE}")
else()
    set(LAUNCHER_START_PAGE "${_LAUNCHER_DEFAULT_START_PAGE}" CACHE STRING
        "The game's start page: http:// or https://, a host with an optional :port, and the path /index.html")
    set(LAUNCHER_OFFICIAL_SITE "${_LAUNCHER_DEFAULT_OFFICIAL_SITE}" CACHE STRING
        "The publisher's website: a bare host name with an optional :port, no scheme and no path")
    launcher_check_addresses("${LAUNCHER_START_PAGE}" "${LAUNCHER_OFFICIAL_SITE}")
endif()
