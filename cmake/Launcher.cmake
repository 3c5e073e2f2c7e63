# The Windows side: the thin layer over Win32, the launcher executable with
# its resources, and a twin with a malformed form description for the tests.

add_library(launcher_win STATIC
    gameview/browser_events.cpp
    gameview/browser_site.cpp
    gameview/game_view_handlers.cpp
    gameview/html_viewer.cpp
    gameview/web_browser.cpp
    shell/form_runtime.cpp
    shell/form_window.cpp
    shell/gbk_text.cpp
    shell/icon_from_file.cpp
    shell/launcher_handlers.cpp
    shell/notify_development_host.cpp
    shell/popup_menu.cpp
    shell/shared_properties.cpp
    shell/super_button.cpp
    shell/window_transparency.cpp
    memtrim/trim_working_set.cpp
    tray/tray_handlers.cpp
    tray/tray_icon.cpp
    tray/tray_menu.cpp
)
target_link_libraries(launcher_win PUBLIC launcher_rules ole32 oleaut32 uuid user32 gdi32 shell32 comctl32 winmm msimg32)
target_compile_definitions(launcher_win PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_compile_definitions(launcher_win PRIVATE LAUNCHER_OFFICIAL_SITE="${LAUNCHER_OFFICIAL_SITE}")
launcher_warnings(launcher_win)

# Statically linked, and without a link timestamp, so the same source gives
# the same bytes.
function(launcher_executable target form_file)
    set(LAUNCHER_ICON_FILE "${PROJECT_SOURCE_DIR}/resources/launcher.ico")
    # The form as built: the configured addresses in place of their placeholders.
    set(LAUNCHER_FORM_FILE "${CMAKE_CURRENT_BINARY_DIR}/${target}.form")
    launcher_configure_form(${form_file} ${LAUNCHER_FORM_FILE})
    configure_file(${PROJECT_SOURCE_DIR}/resources/launcher.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
    add_executable(${target} WIN32 shell/launcher_main.cpp ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    target_link_libraries(${target} PRIVATE launcher_win)
    launcher_warnings(${target})
    set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES
        OBJECT_DEPENDS "${LAUNCHER_ICON_FILE};${LAUNCHER_FORM_FILE}")
    if(MSVC)
        target_link_options(${target} PRIVATE /Brepro)
        target_compile_options(${target} PRIVATE /Brepro)
    else()
        target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -s
            -Wl,--no-insert-timestamp)
    endif()
endfunction()

launcher_executable(Launcher ${PROJECT_SOURCE_DIR}/shell/MainWindow.form)
set_target_properties(Launcher PROPERTIES OUTPUT_NAME Launcher)

add_test(NAME build.icon_matches_generator
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/build/icon_is_reproducible.sh ${PROJECT_SOURCE_DIR})
add_test(NAME build.exe_is_reproducible
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/build/exe_is_reproducible.sh ${PROJECT_SOURCE_DIR} $<TARGET_FILE:Launcher>)
set_tests_properties(build.icon_matches_generator build.exe_is_reproducible PROPERTIES LABELS build TIMEOUT 600)

# The same launcher carrying a malformed form description, for the test of
# the fatal start-up error.
if(NOT MSVC)
    launcher_executable(LauncherBadForm ${PROJECT_SOURCE_DIR}/tests/e2e/bad_form.form)
endif()
