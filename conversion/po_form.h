// SPDX-License-Identifier: MIT
#ifndef HOLVANE_CONVERSION_PO_FORM_H_
#define HOLVANE_CONVERSION_PO_FORM_H_

// A catalogue as a gettext PO file (docs/format.md, "Catalogues"), written
// and read back. CatalogueBuilder::Po writes the same form.

#include <string>
#include <string_view>
#include <vector>

#include "conversion/catalogue.h"

namespace holvane {

// The catalogue as a PO file: UTF-8, with its header; a template (every
// msgstr empty, the header's fields left as a template has them) when no
// entry is translated. `creation_date` is the POT-Creation-Date to write
// ("YYYY-MM-DD hh:mm+0000"), from SOURCE_DATE_EPOCH or the clock.
std::string WritePo(const std::vector<CatalogueEntry>& entries, std::string_view creation_date);

// The PO catalogue `content` read, as CatalogueReading tells; with `take`,
// each entry handed to it as EntrySink tells.
CatalogueReading ReadPo(std::string_view content);
CatalogueReading ReadPo(std::string_view content, const EntrySink& take);

}  // namespace holvane

#endif  // HOLVANE_CONVERSION_PO_FORM_H_
