// The person columns and rows that four list windows share (the person list,
// the download-persons list, the template-delete list and the Template-on-Card
// list): name, first name, Personalnummer, Firmenkennung, Ausweisnummer and
// UserPIN, under the string-table texts 8100 to 8105.
#pragma once

#include <string>
#include <vector>

#include "store/records.h"
#include "views/list_window.h"

namespace views {

// How the "Company code" column is titled.
enum class CompanyCaption {
  WhenActive,  // the input mask's company-code caption when the company code is
               // enabled and the caption is not empty, else text 8103
  Always,      // the input mask's company-code caption, whatever it holds
};

// The six columns with their widths (150, 150, 100, 100, 150, 100).
std::vector<Column> person_columns(CompanyCaption caption = CompanyCaption::WhenActive);
// The six texts of a person's row.
std::vector<std::string> person_row(const store::Personensatz& p);

// The one sort state of the person list, the template-delete list and the
// Template-on-Card list: each resets the directions when it opens and keeps the
// remembered column.
SortState& person_sort();

// Row columns that identify a person.
constexpr int kPersonnelNumberColumn = 2;
constexpr int kIdentificationColumn = 4;

// The person-table slot of the first person in use whose Personalnummer equals
// the row's column 2 (and, when `with_identification`, whose Ausweisnummer
// equals its column 4); -1 when there is none.
int find_person(const std::vector<std::string>& row, bool with_identification);

}  // namespace views
