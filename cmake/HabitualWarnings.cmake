# The project's warnings, for the compiler in use; HABITUAL_WERROR makes
# them errors. Every target of the project gets them: they are set for the
# whole source tree.
if(MSVC)
    # The sources are UTF-8 (the Japanese literals).
    add_compile_options(/W4 /utf-8)
    if(HABITUAL_WERROR)
        add_compile_options(/WX)
    endif()
else()
    add_compile_options(-Wall -Wextra -Wshadow)
    if(HABITUAL_WERROR)
        add_compile_options(-Werror)
    endif()
endif()
