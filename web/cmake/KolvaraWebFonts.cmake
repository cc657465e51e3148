# The page's two faces cut down from Debian's IPA Gothic, and the table of their
# measurements the layout reads in place of a toolkit's (web/tools/make_fonts.py).
#
#   kolvara_web_fonts(<font folder> <table .cpp>)
#
# Every character the page or a sheet can show goes in: the program's texts, the window's
# layout, the desktop entry's name and the page's own files.
include_guard(GLOBAL)

get_filename_component(KOLVARA_ROOT ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
# Debian's interpreter, which has python3-fonttools, whatever python3 comes first on PATH.
set(KOLVARA_PYTHON /usr/bin/python3)
set(IPA_DIR /usr/share/fonts/opentype/ipafont-gothic CACHE PATH "Where Debian's fonts-ipafont-gothic puts its fonts")
set(IPA_COPYRIGHT /usr/share/doc/fonts-ipafont-gothic/copyright)

function(kolvara_web_fonts font_dir table_cpp)
  file(GLOB sources CONFIGURE_DEPENDS ${KOLVARA_ROOT}/generation/*.cpp ${KOLVARA_ROOT}/generation/*.h
       ${KOLVARA_ROOT}/web/src/*)
  list(APPEND sources ${KOLVARA_ROOT}/app/FormKolvara.ui ${KOLVARA_ROOT}/app/option_widgets.h
       ${KOLVARA_ROOT}/data/io.github.kolvara.Kolvara.desktop)
  set(tool ${KOLVARA_ROOT}/web/tools/make_fonts.py)
  get_filename_component(table_dir ${table_cpp} DIRECTORY)
  add_custom_command(
    OUTPUT ${font_dir}/kolvara-gothic.woff2 ${font_dir}/kolvara-pgothic.woff2 ${font_dir}/kolvara-gothic.ttf
           ${font_dir}/kolvara-pgothic.ttf ${font_dir}/copyright ${font_dir}/README.txt ${table_cpp}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${table_dir}
    COMMAND ${KOLVARA_PYTHON} ${tool} --window ${IPA_DIR}/ipag.ttf --problem ${IPA_DIR}/ipagp.ttf
            --chars ${sources} --out ${font_dir} --metrics ${table_cpp} --licence ${IPA_COPYRIGHT}
    DEPENDS ${tool} ${sources}
    COMMENT "Cutting IPA Gothic down to the page's characters"
    VERBATIM)
endfunction()

# The bridge between the page and the core, for the module and for the native tests.
set(KOLVARA_WEB_BRIDGE_SOURCES
    ${KOLVARA_ROOT}/web/bridge/address.cpp
    ${KOLVARA_ROOT}/web/bridge/font_table.cpp
    ${KOLVARA_ROOT}/web/bridge/practice_json.cpp
    ${KOLVARA_ROOT}/web/bridge/session_json.cpp
    ${KOLVARA_ROOT}/web/bridge/web_session.cpp
    ${KOLVARA_ROOT}/app/option_widgets.cpp)
set(KOLVARA_WEB_INCLUDES ${KOLVARA_ROOT}/generation ${KOLVARA_ROOT}/app ${KOLVARA_ROOT}/web/bridge)
file(GLOB KOLVARA_CORE_SOURCES CONFIGURE_DEPENDS ${KOLVARA_ROOT}/generation/*.cpp)
