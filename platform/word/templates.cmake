# Zips the template sources in resources/templates/<name>/ into
# <name>.dotx in the program folder. Every template has the same parts; a new
# part must be added to this list to be packed.
set(VELMORANT_TEMPLATE_PARTS
  [Content_Types].xml
  _rels/.rels
  docProps/app.xml
  docProps/core.xml
  word/_rels/document.xml.rels
  word/document.xml
  word/footer1.xml
  word/settings.xml
  word/styles.xml)

set(VELMORANT_TEMPLATES)
foreach(template Rechnung Reservierungsbestaetigung)
  set(source ${CMAKE_SOURCE_DIR}/resources/templates/${template})
  set(output ${VELMORANT_APP_DIR}/${template}.dotx)
  list(TRANSFORM VELMORANT_TEMPLATE_PARTS PREPEND ${source}/ OUTPUT_VARIABLE inputs)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${output}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${output} --format=zip -- ${VELMORANT_TEMPLATE_PARTS}
    WORKING_DIRECTORY ${source}
    DEPENDS ${inputs}
    COMMENT "Packing the template ${template}.dotx"
    VERBATIM)
  list(APPEND VELMORANT_TEMPLATES ${output})
endforeach()

add_custom_target(velmorant_word_templates ALL DEPENDS ${VELMORANT_TEMPLATES})
