# Window benchmarks: refresh cost, and start-up against a bare Qt window. Without a
# platform given, they run offscreen as without a window manager.
set(kolvara_offscreen "offscreen:configfile=${PROJECT_SOURCE_DIR}/scripts/offscreen.json")
add_executable(refresh_bench refresh_bench.cpp)
target_link_libraries(refresh_bench PRIVATE kolvara_app benchmark::benchmark)
set_target_properties(refresh_bench PROPERTIES AUTOUIC OFF)
target_compile_definitions(refresh_bench PRIVATE KOLVARA_OFFSCREEN="${kolvara_offscreen}")

add_executable(startup_kolvara startup_child.cpp)
target_link_libraries(startup_kolvara PRIVATE kolvara_app)
target_compile_definitions(startup_kolvara PRIVATE KOLVARA_WINDOW=1)
set_target_properties(startup_kolvara PROPERTIES AUTOUIC OFF)

add_executable(startup_bare startup_child.cpp)
target_link_libraries(startup_bare PRIVATE Qt6::Widgets)

add_executable(startup_bare_label startup_child.cpp)
target_link_libraries(startup_bare_label PRIVATE Qt6::Widgets)
target_compile_definitions(startup_bare_label PRIVATE WITH_JAPANESE_LABEL=1)

add_executable(startup_bench startup_bench.cpp)
target_link_libraries(startup_bench PRIVATE benchmark::benchmark)
target_compile_definitions(startup_bench PRIVATE
    KOLVARA_CHILD="$<TARGET_FILE:startup_kolvara>" BARE_CHILD="$<TARGET_FILE:startup_bare>"
    BARE_LABEL_CHILD="$<TARGET_FILE:startup_bare_label>")
target_compile_definitions(startup_bench PRIVATE KOLVARA_OFFSCREEN="${kolvara_offscreen}")
add_dependencies(startup_bench startup_kolvara startup_bare startup_bare_label)

add_executable(print_bench print_bench.cpp)
target_link_libraries(print_bench PRIVATE kolvara_app benchmark::benchmark Qt6::PrintSupport)
set_target_properties(print_bench PROPERTIES AUTOUIC OFF)

add_executable(sheet_bench sheet_bench.cpp)
target_link_libraries(sheet_bench PRIVATE benchmark::benchmark)
target_compile_definitions(sheet_bench PRIVATE KOLVARA_SHEET="$<TARGET_FILE:kolvara-sheet>"
                                               SHEET_DUMP="$<TARGET_FILE:sheet_dump>")
add_dependencies(sheet_bench kolvara-sheet sheet_dump)
