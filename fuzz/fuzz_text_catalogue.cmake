# Text catalogues are files beside the modules, not trusted code: the parser
# and the formatters that use their texts must survive any bytes.
zel_fuzz(fuzz_text_catalogue
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_text_catalogue.cpp
  LINK zel_texts
  CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/fuzz_text_catalogue)
