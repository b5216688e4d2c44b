# Warnings that every target of the project compiles with.
add_library(ntr_warnings INTERFACE)
target_compile_options(ntr_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
