# Writes the Debian symbols file of the runtime package (deb-symbols(5)) from the dynamic symbol
# table of the library just linked: every symbol it defines, each needing at least VERSION.
#   cmake -DNM=nm -DLIBRARY=<lib> -DPACKAGE=<runtime pkg> -DDEV_PACKAGE=<dev pkg>
#         -DVERSION=<min version> -DOUTPUT=<file> -P debian_symbols.cmake
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE table COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" lines "${table}")
set(symbols "")
foreach(line ${lines})
  # "<address> <type> <name>[@version]"
  if(line MATCHES "^[0-9a-fA-F]+ [A-Za-z] ([^@]+)")
    list(APPEND symbols "${CMAKE_MATCH_1}")
  endif()
endforeach()
list(SORT symbols)
get_filename_component(soname ${LIBRARY} NAME)
set(text "${soname} ${PACKAGE} #MINVER#\n* Build-Depends-Package: ${DEV_PACKAGE}\n")
foreach(symbol ${symbols})
  string(APPEND text " ${symbol}@Base ${VERSION}\n")
endforeach()
file(WRITE ${OUTPUT} "${text}")
