# SPDX-License-Identifier: MIT
# cmake -DOUTPUT=file.cc -DLANGUAGES=ru;... -DFOLDER=locale -P HolvaneBuiltInCatalogues.cmake
#
# Writes OUTPUT, a C++ source holding each language's compiled catalogue
# (FOLDER/LL/LC_MESSAGES/holvane.mo) as bytes, and the table kBuiltInCatalogues that
# common/translation_win32.cc reads them by.
set(text "// Made by cmake/HolvaneBuiltInCatalogues.cmake from po/*.po; not to be edited.\n")
string(APPEND text "#include \"common/message_catalogue.h\"\n\nnamespace holvane {\n\nnamespace {\n")
set(table "")
set(count 0)
foreach(language IN LISTS LANGUAGES)
  file(READ ${FOLDER}/${language}/LC_MESSAGES/holvane.mo hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n    " bytes "${bytes}")
  string(APPEND text "const unsigned char k_${language}[] = {\n    ${bytes}};\n")
  string(APPEND table "    {\"${language}\", k_${language}, ${size}},\n")
  math(EXPR count "${count} + 1")
endforeach()
string(APPEND text "}  // namespace\n\n")
string(APPEND text "const BuiltInCatalogue kBuiltInCatalogues[] = {\n${table}};\n")
string(APPEND text "const std::size_t kBuiltInCatalogueCount = ${count};\n\n}  // namespace holvane\n")
file(WRITE ${OUTPUT} "${text}")
