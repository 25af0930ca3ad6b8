#include "views/person_rows.h"

#include "resources/menu.h"
#include "store/store.h"
#include "views/host.h"

namespace views {

std::vector<Column> person_columns(CompanyCaption caption) {
  std::vector<Column> columns = {{8100, 150, {}}, {8101, 150, {}}, {8102, 100, {}},
                                 {8103, 100, {}}, {8104, 150, {}}, {8105, 100, {}}};
  const store::Eingabesatz& mask = store::db().eingabe;
  const std::string description = mask.company_description();
  if (caption == CompanyCaption::Always)
    columns[3] = Column{0, 100, description};  // even when empty
  else if (mask.change_company_active() != 0 && !description.empty())
    columns[3].title = description;
  return columns;
}

std::vector<std::string> person_row(const store::Personensatz& p) {
  return {p.name(), p.vorname(), p.personalnummer(), p.firmenkennung(), p.ausweisnummer(),
          p.user_pin()};
}

SortState& person_sort() { return host().person_sort; }

int find_person(const std::vector<std::string>& row, bool with_identification) {
  if (row.size() <= kIdentificationColumn) return -1;
  return find_slot(store::db().persons, row,
                   [with_identification](const std::vector<std::string>& r,
                                         const store::Personensatz& p) {
                     return p.personalnummer() == r[kPersonnelNumberColumn] &&
                            (!with_identification ||
                             p.ausweisnummer() == r[kIdentificationColumn]);
                   });
}

}  // namespace views
