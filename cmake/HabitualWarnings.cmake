# The project's warnings, for the compiler in use; HABITUAL_WERROR makes
# them errors. Every target of the project gets them: they are set for the
# whole source tree.
if(MSVC)
    # The sources are UTF-8 (the Japanese literals). Headers included as
    # system headers (Qt's, GoogleTest's) are not warned about. The C
    # runtime's advice to use its _s functions is not followed: the code is
    # portable C++.
    add_compile_options(/W4 /utf-8 /external:W0 /permissive- /Zc:__cplusplus)
    add_compile_definitions(_CRT_SECURE_NO_WARNINGS)
    if(HABITUAL_WERROR)
        add_compile_options(/WX)
    endif()
else()
    add_compile_options(-Wall -Wextra -Wshadow)
    if(HABITUAL_WERROR)
        add_compile_options(-Werror)
    endif()
endif()
