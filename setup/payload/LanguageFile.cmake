# Puts the language file into the payload: the one the build wrote beside
# the programs when there is one, else the stand-in with empty sections.
if(EXISTS "${LANG}")
  configure_file("${LANG}" "${OUT}" COPYONLY)
else()
  configure_file("${STANDIN}" "${OUT}" COPYONLY)
endif()
