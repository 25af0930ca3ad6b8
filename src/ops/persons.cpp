#include "ops/persons.h"

#include <algorithm>

#include "resources/catalogue.h"
#include "store/store.h"

namespace ops {
namespace {

// What the record fields hold (characters).
constexpr int kFieldChars = 10;
constexpr int kIdentificationChars = 20;
constexpr int kPinChars = 10;

const store::Eingabesatz& mask() { return store::db().eingabe; }

int clamp(int value, int most) { return std::max(0, std::min(value, most)); }

// Fills `value` with leading zeros to `digits` when it is shorter and not empty.
void pad(std::string& value, int digits, bool* padded) {
  if (value.empty() || static_cast<int>(value.size()) >= digits) return;
  value = store::pad_left_zero(value, digits);
  if (padded) *padded = true;
}

}  // namespace

int zusatz_digits(int field) { return clamp(2 * mask().zusatz_len(field), kFieldChars); }
int identification_digits() { return clamp(mask().ausweis_len(), kIdentificationChars); }
int pin_digits() { return clamp(mask().user_pin_len(), kPinChars); }

int check_and_write_person(PersonFields& f, bool* padded, std::string* refusal) {
  store::Tables& t = store::db();
  store::Personensatz& w = t.person_write;
  const store::Eingabesatz& m = mask();
  for (int i = 1; i <= 4; ++i) {
    if (m.zusatz_active(i) == 0) continue;
    std::string& value = f.zusatz[i - 1];
    pad(value, zusatz_digits(i), padded);
    if (value.empty()) {
      *refusal = res::format(res::PS_NO_FIELD, i);
      return 0;
    }
    w.set_zusatz(i, value);
  }
  if (f.personnel.empty()) {
    *refusal = res::text(res::PS_NO_PERSONNEL_NUMBER);
    return 0;
  }
  if (static_cast<int>(f.personnel.size()) < m.personalnummer_len()) {
    *refusal = res::text(res::PS_PERSONNEL_NUMBER_SHORT);
    return 0;
  }
  w.set_personalnummer(f.personnel);
  pad(f.identification, identification_digits(), padded);
  if (f.identification.empty()) {
    *refusal = res::text(res::PS_NO_IDENTIFICATION);
    return 0;
  }
  w.set_ausweisnummer(f.identification);
  pad(f.pin, pin_digits(), padded);
  w.set_user_pin(f.pin);
  switch (store::check_pers_eindeutig()) {
    case 0:
      break;
    case 1:
      *refusal = res::text(res::PS_PERSONNEL_NUMBER_EXISTS);
      return 0;
    case 2:
      *refusal = res::text(res::PS_IDENTIFICATION_EXISTS);
      return 0;
    default:
      *refusal = res::text(res::PS_UNKNOWN_UNIQUE_RESULT);
      return 0;
  }
  const int number = store::rw_person(store::kWrite);
  if (number < 1) {
    *refusal = res::text(res::PS_WRITE_FAILED);
    return 0;
  }
  return number;
}

ChangeResult save_person_changes(const store::Personensatz& stored, store::Personensatz w,
                                 PersonFields& f, bool* padded, ui::Window owner) {
  store::Tables& t = store::db();
  ChangeResult out;
  w.set_nummer(stored.nummer());
  w.set_fingerprint_flag(stored.fingerprint_flag());
  w.set_spezial_pin(stored.spezial_pin());
  // The templates stay stored: the record goes on saying which groups hold
  // them, or the next enrolment would offer group 1 and overwrite it.
  w.set_finger_count(stored.finger_count());
  for (int g = 1; g <= 10; ++g) w.set_group_mark(g, stored.group_mark(g));
  w.set_reader_mask(0);
  t.person_write = w;
  out.number = check_and_write_person(f, padded, &out.refusal);
  if (out.number < 1) return out;
  // The readers know the person by the user ID it had: when the save gave it
  // another, the old one must leave every reader as a deletion would.
  const store::UserId before = store::user_id_of(stored, t.eingabe);
  const store::UserId after = store::user_id_of(t.persons[out.number - 1], t.eingabe);
  if (before != after) {
    out.id_changed = true;
    out.removal = remove_everywhere({before, stored.personalnummer(), stored.ausweisnummer()}, owner);
  }
  return out;
}

PersonDeletion delete_person(int slot, ui::Window owner) {
  store::Tables& t = store::db();
  PersonDeletion out;
  const store::Personensatz person = t.persons[slot];
  const long number = static_cast<long>(person.nummer());
  t.person_write = person;
  t.template_write = store::Templatesatz{};
  t.template_write.set_nummer(person.nummer());
  out.person = store::rw_person(store::kDelete);
  if (out.person <= 0) {
    ui::message_box(owner, res::format(res::PS_DELETE_FAILED, static_cast<long>(out.person) - 1),
                    res::text(res::CAP_FEHLER_INFO), ui::kOk);
    return out;
  }
  out.templates = store::rw_template(store::kWrite) >= 1;
  if (!out.templates)
    ui::message_box(owner, res::format(res::PS_DELETE_TEMPLATES_FAILED, number - 1),
                    res::text(res::CAP_FEHLER_INFO), ui::kOk);
  t.persons[slot] = store::Personensatz{};
  const std::string identification = person.ausweisnummer();
  ui::message_box(owner, res::format(res::PS_DELETED, number - 1, identification.c_str()),
                  res::text(res::CAP_INFO), ui::kOk);
  // The current person becomes an empty one with the deleted Ausweisnummer.
  t.person_read = store::Personensatz{};
  t.person_read.set_ausweisnummer(identification);
  for (int i = 1; i <= 4; ++i) t.person_read.set_zusatz(i, person.zusatz(i));
  // Every reader is asked, whatever the person's reader mask says.
  out.removal = remove_everywhere(
      {store::user_id_of(person, t.eingabe), person.personalnummer(), identification}, owner);
  return out;
}

}  // namespace ops
