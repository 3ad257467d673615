// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_CSV_FORM_H_
#define HOLVANE_CONVERSION_CSV_FORM_H_

// A catalogue as CSV (docs/format.md, "Catalogues"), written and read back.
// CatalogueBuilder::Csv writes the same form.

#include <string>
#include <string_view>
#include <vector>

#include "conversion/catalogue.h"

namespace holvane {

// The catalogue as CSV (RFC 4180, UTF-8 with a byte-order mark, CR LF): a
// header row, then a row per entry; TAB, LF, CR and backslash inside a cell
// as \t, \n, \r, \\.
std::string WriteCsv(const std::vector<CatalogueEntry>& entries);

// The CSV catalogue `content` read, as CatalogueReading tells; with `take`,
// each entry handed to it as EntrySink tells.
CatalogueReading ReadCsv(std::string_view content);
CatalogueReading ReadCsv(std::string_view content, const EntrySink& take);

}  // namespace holvane

#endif  // HOLVANE_CONVERSION_CSV_FORM_H_
