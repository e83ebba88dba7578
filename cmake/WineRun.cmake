# A cross build for Windows runs its programs under wine, through a script
# in the build folder: the build's own wine prefix (build/.../wine, made on
# first use), so that runs do not depend on the machine's, and none of
# wine's debugging output.
if(CMAKE_CROSSCOMPILING AND WIN32 AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(HABITUAL_WINE NAMES wine wine64)
    if(HABITUAL_WINE)
        set(HABITUAL_WINE_PREFIX ${PROJECT_BINARY_DIR}/wine)
        configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${PROJECT_BINARY_DIR}/wine-run
            @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
            GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run)
    endif()
endif()
