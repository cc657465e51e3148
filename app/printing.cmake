# Printing of the worksheet window and its pages as PDF; included from app/CMakeLists.txt.
include_guard(GLOBAL)

add_library(kolvara_printing STATIC
  ${CMAKE_CURRENT_LIST_DIR}/sheet_pages.h
  ${CMAKE_CURRENT_LIST_DIR}/sheet_pages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/worksheet_printer.h
  ${CMAKE_CURRENT_LIST_DIR}/worksheet_printer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/print_queue.h
  ${CMAKE_CURRENT_LIST_DIR}/print_queue.cpp
)
find_package(Cups REQUIRED)
target_include_directories(kolvara_printing PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kolvara_printing PUBLIC kolvara_display Qt6::Widgets Qt6::PrintSupport PRIVATE ${CMAKE_DL_LIBS})
# Only the headers: the library itself is loaded when the print service is first asked.
target_include_directories(kolvara_printing PRIVATE ${CUPS_INCLUDE_DIR})
