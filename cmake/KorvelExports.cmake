# korvel_write_def_file(header def): writes the module-definition file of the
# Windows DLL: one EXPORTS line per function the header declares with
# KORVEL_API, by its plain name, in the header's order. Rewritten (and the
# DLL relinked) whenever the header changes.
function(korvel_write_def_file header def)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
  file(STRINGS ${header} declarations REGEX "^KORVEL_API [^(]*\\(")
  set(content "LIBRARY Korvelv0.dll\nEXPORTS\n")
  foreach(declaration IN LISTS declarations)
    string(REGEX MATCH "([A-Za-z0-9_]+)\\(" name "${declaration}")
    string(APPEND content "    ${CMAKE_MATCH_1}\n")
  endforeach()
  file(CONFIGURE OUTPUT ${def} CONTENT "${content}")
endfunction()
