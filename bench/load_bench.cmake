# Times loading a survey file into the desktop program's window.
add_executable(habitual-load-bench ${CMAKE_CURRENT_SOURCE_DIR}/load_bench.cpp)
target_link_libraries(habitual-load-bench PRIVATE habitual_ui)
