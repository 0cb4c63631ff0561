# Warnings are errors everywhere in the project: library, tests, benchmarks, examples.
add_compile_options(-Wall -Wextra -Werror)
