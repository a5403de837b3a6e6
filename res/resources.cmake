# Bundles Debian's Leaflet (libjs-leaflet) into the program's resources, so
# the map page draws its lines without any network. Included by
# app/CMakeLists.txt, which compiles every qrc listed in ML_GENERATED_QRC.
set(ML_LEAFLET_DIR "/usr/share/javascript/leaflet" CACHE PATH "Folder of Debian's libjs-leaflet")
if(NOT EXISTS "${ML_LEAFLET_DIR}/leaflet.min.js" OR NOT EXISTS "${ML_LEAFLET_DIR}/leaflet.css")
  message(FATAL_ERROR "Leaflet not found in ${ML_LEAFLET_DIR}; install libjs-leaflet (tools/setup-deps.sh)")
endif()

set(ML_LEAFLET_OUT "${CMAKE_CURRENT_BINARY_DIR}/leaflet")
file(GLOB ML_LEAFLET_IMAGES RELATIVE "${ML_LEAFLET_DIR}" "${ML_LEAFLET_DIR}/images/*.png")
set(ML_LEAFLET_FILES leaflet.min.js leaflet.css ${ML_LEAFLET_IMAGES})

set(ML_LEAFLET_QRC_ENTRIES "")
foreach(file ${ML_LEAFLET_FILES})
  configure_file("${ML_LEAFLET_DIR}/${file}" "${ML_LEAFLET_OUT}/${file}" COPYONLY)
  string(APPEND ML_LEAFLET_QRC_ENTRIES "    <file>${file}</file>\n")
endforeach()

file(WRITE "${ML_LEAFLET_OUT}/leaflet.qrc.in"
  "<RCC>\n  <qresource prefix=\"/web/leaflet\">\n${ML_LEAFLET_QRC_ENTRIES}  </qresource>\n</RCC>\n")
# configure_file rewrites the qrc only when its text changes, so an unchanged
# configure does not recompile the resources.
configure_file("${ML_LEAFLET_OUT}/leaflet.qrc.in" "${ML_LEAFLET_OUT}/leaflet.qrc" COPYONLY)
list(APPEND ML_GENERATED_QRC "${ML_LEAFLET_OUT}/leaflet.qrc")
