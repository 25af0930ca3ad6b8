// The record types of the data files, each a fixed-size byte array with named
// accessors for its fields (little-endian, texts zero-terminated and zero-padded).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "store/fields.h"

namespace store {

// Stored (sealed) size of a record of `size` bytes in the two-byte length form.
constexpr int sealed_slot(int size) { return 16 * ((size + 2) / 16 + 1); }

// ---------------------------------------------------------------- persons
// Combined Mode requirement bits of a person.
constexpr std::uint8_t kNeedTransponder = 0x10;
constexpr std::uint8_t kNeedPin = 0x20;
constexpr std::uint8_t kNeedFinger = 0x40;

struct Personensatz {
  static constexpr int kSize = 216;
  static constexpr int kOldSize = 156;  // database version 0
  static constexpr int kSlot = sealed_slot(kSize);        // 224
  static constexpr int kOldSlot = sealed_slot(kOldSize);  // 160
  std::array<std::uint8_t, kSize> b{};

  STORE_U32(nummer, 0)
  STORE_TEXT(name, 4, 22)
  STORE_TEXT(vorname, 26, 22)
  STORE_TEXT(personalnummer, 48, 12)
  STORE_TEXT(firmenkennung, 60, 12)
  STORE_TEXT(ausweisnummer, 72, 22)
  STORE_TEXT(user_pin, 94, 12)
  STORE_U8(fingerprint_flag, 106)
  // Template-group mark of group g (1 to 10): the byte at 106 + g.
  std::uint8_t group_mark(int g) const { return get_u8(b.data(), 106 + g); }
  void set_group_mark(int g, std::uint8_t v) { put_u8(b.data(), 106 + g, v); }
  STORE_U16(finger_count, 118)
  STORE_U16(write_on_transponder, 120)
  STORE_U16(distribute_to_reader, 122)
  STORE_U16(save_in_db, 124)
  STORE_TEXT(spezial_pin, 126, 12)
  STORE_U32(reader_mask, 138)
  STORE_U8(combined_mode, 146)
  // Additional field i (1 to 4), 12 bytes at 156 + 12 * (i - 1).
  std::string zusatz(int i) const { return get_text(b.data(), 156 + 12 * (i - 1), 12); }
  void set_zusatz(int i, const std::string& s) { put_text(b.data(), 156 + 12 * (i - 1), 12, s); }
  bool used() const { return nummer() != 0; }
};

// ---------------------------------------------------------------- templates
constexpr int kFingerBlocks = 10;
constexpr int kFingerBlockSize = 1020;
constexpr int kTemplateDataSize = 1010;
constexpr std::int16_t kDummyTemplate = 32000;  // placeholder without template data
constexpr std::int16_t kMaxTemplateLength = 31999;

struct Templatesatz {
  static constexpr int kSize = 4 + kFingerBlocks * kFingerBlockSize;  // 10204
  static constexpr int kSlot = sealed_slot(kSize);                    // 10208
  // Database versions 0 and 1: ten blocks of 262 bytes.
  static constexpr int kOldBlockSize = 262;
  static constexpr int kOldDataSize = 256;
  static constexpr int kOldSize = 4 + kFingerBlocks * kOldBlockSize;  // 2624
  static constexpr int kOldSlot = sealed_slot(kOldSize);              // 2640
  std::array<std::uint8_t, kSize> b{};

  STORE_U32(nummer, 0)
  // Finger block i (0 to 9) starts at 4 + 1020 * i.
  static constexpr int block_offset(int i) { return 4 + kFingerBlockSize * i; }
  std::uint8_t* block(int i) { return b.data() + block_offset(i); }
  const std::uint8_t* block(int i) const { return b.data() + block_offset(i); }

  std::int16_t length(int i) const { return get_i16(b.data(), block_offset(i)); }
  void set_length(int i, std::int16_t v) { put_i16(b.data(), block_offset(i), v); }
  std::uint8_t group(int i) const { return get_u8(b.data(), block_offset(i) + 2); }
  void set_group(int i, std::uint8_t v) { put_u8(b.data(), block_offset(i) + 2, v); }
  std::uint8_t quality(int i) const { return get_u8(b.data(), block_offset(i) + 3); }
  void set_quality(int i, std::uint8_t v) { put_u8(b.data(), block_offset(i) + 3, v); }
  std::uint8_t finger_type(int i) const { return get_u8(b.data(), block_offset(i) + 4); }
  void set_finger_type(int i, std::uint8_t v) { put_u8(b.data(), block_offset(i) + 4, v); }
  std::uint8_t reserved5(int i) const { return get_u8(b.data(), block_offset(i) + 5); }
  void set_reserved5(int i, std::uint8_t v) { put_u8(b.data(), block_offset(i) + 5, v); }
  // The template data, 1010 bytes.
  std::uint8_t* data(int i) { return block(i) + 10; }
  const std::uint8_t* data(int i) const { return block(i) + 10; }
};

// Block index of template group g (1 to 10) and finger position p (1 to k) with k
// fingers per person: (g - 1) * k + (p - 1). -1 when the three do not fit
// (there are 10 div k groups).
int finger_block_index(int group, int position, int fingers);
// Length above 0 and at most 31999 and a quality value other than 0.
bool holds_real_template(const Templatesatz& t, int block);
// Number of blocks of group g (k fingers per person) that are not empty and carry
// group byte g.
int group_template_count(const Templatesatz& t, int group, int fingers);
// Clears finger block i (all 1020 bytes).
void clear_finger_block(Templatesatz& t, int block);

// ---------------------------------------------------------------- readers
struct Lesersatz {
  static constexpr int kSize = 88;
  static constexpr int kSlot = sealed_slot(kSize);  // 96
  std::array<std::uint8_t, kSize> b{};

  STORE_U32(nummer, 0)
  STORE_U16(verbindung, 4)  // 0 COM port, 1 TCP/IP
  STORE_U16(com_port, 6)    // 0 = COM1 ... 31 = COM32
  STORE_U16(baud, 8)        // 0 = 115200 ... 4 = 9600
  STORE_U16(wait_value, 10)
  STORE_TEXT(ip, 12, 20)
  STORE_U16(tcp_port, 32)
  STORE_TEXT(name, 34, 30)
  STORE_U16(bus_address, 64)  // 0 = bus address 01 ... 14 = bus address 15
  STORE_U16(preselect, 66)
  STORE_BYTES(reserved, 68)  // 20 bytes
  bool used() const { return nummer() != 0; }
};

// ---------------------------------------------------------------- input mask
// RF-ID module types.
enum ModuleType : std::uint16_t {
  kNoModule = 0,
  kDesfireModule = 1,
  kLegicModule = 2,
  kMifareModule = 3,
  k125kHzModule = 4,
};

struct Eingabesatz {
  static constexpr int kSize = 388;
  static constexpr int kSlot = sealed_slot(kSize);  // 400
  static constexpr int kSizeV0 = 130;               // database version 0
  static constexpr int kSlotV0 = sealed_slot(kSizeV0);  // 144
  static constexpr int kSizeV1 = 328;                   // database versions 1 and 2
  static constexpr int kSlotV1 = sealed_slot(kSizeV1);  // 336
  std::array<std::uint8_t, kSize> b{};

  STORE_U16(name_len, 0)
  STORE_U16(vorname_len, 2)
  STORE_U16(personalnummer_len, 4)
  STORE_U16(ausweis_len, 6)  // hex digits, even
  STORE_TEXT(default_firma, 8, 12)
  STORE_U16(user_pin_len, 20)
  STORE_U16(with_fingerprint, 22)
  STORE_U16(finger_count, 24)
  STORE_U16(min_quality, 26)
  STORE_U16(good_quality, 28)
  STORE_U16(show_quality, 30)
  STORE_U16(def_write_on_transponder, 32)
  STORE_U16(def_distribute_to_reader, 34)
  STORE_U16(def_save_in_db, 36)
  STORE_U16(matching_level, 38)
  STORE_U8(template_setting_a, 40)  // 1 to 10
  STORE_U8(template_setting_b, 41)  // 1 to 11 - setting a
  STORE_U16(module_type, 44)
  // RF-ID keys: key A (module types 1 and 3) and key B (module type 2), 20 bytes each.
  static constexpr int kKeyFieldSize = 20;
  STORE_BYTES(rfid_key_a, 46)
  STORE_BYTES(rfid_key_b, 66)
  // Main settings, 24 bytes at 86..109 (parameter set 3 or 4 of the module).
  static constexpr int kMainSettingsSize = 24;
  STORE_BYTES(rfid_main, 86)
  // Bytes 22 and 23 of the main settings: the transponder start address.
  STORE_U16(transponder_start, 108)
  // Module-2 settings, 12 bytes at 112..123 (parameter set 2).
  static constexpr int kModule2SettingsSize = 12;
  STORE_BYTES(rfid_module2, 112)
  STORE_U8(fix_bits, 129)  // 1, 2, 4, 8: additional field 1 to 4 fixed
  STORE_U8(spin_plain, 130)
  STORE_U8(spin_manual, 131)
  STORE_U16(spin_keyboard, 132)
  STORE_U16(assign_finger_name, 134)
  STORE_U16(change_company_active, 136)
  STORE_TEXT(company_description, 138, 30)
  // Additional field i (1 to 4): active flag, description, data length in bytes.
  std::uint16_t zusatz_active(int i) const { return get_u16(b.data(), 168 + 32 * (i - 1)); }
  void set_zusatz_active(int i, std::uint16_t v) { put_u16(b.data(), 168 + 32 * (i - 1), v); }
  std::string zusatz_description(int i) const { return get_text(b.data(), 170 + 32 * (i - 1), 28); }
  void set_zusatz_description(int i, const std::string& s) {
    put_text(b.data(), 170 + 32 * (i - 1), 28, s);
  }
  std::uint16_t zusatz_len(int i) const { return get_u16(b.data(), 198 + 32 * (i - 1)); }
  void set_zusatz_len(int i, std::uint16_t v) { put_u16(b.data(), 198 + 32 * (i - 1), v); }
  // Default value of additional field i, 12 bytes at 328 + 12 * (i - 1).
  std::string zusatz_default(int i) const { return get_text(b.data(), 328 + 12 * (i - 1), 12); }
  void set_zusatz_default(int i, const std::string& s) {
    put_text(b.data(), 328 + 12 * (i - 1), 12, s);
  }
};

// Input checks and the identification data / user ID of a person.
// True when every character is 0-9, A-F or a-f (an empty text is hex).
bool is_hex_text(const std::string& s);
// `s` with "0" characters put in front up to `digits` characters (unchanged when
// it is as long already).
std::string pad_left_zero(const std::string& s, int digits);
// The identification-data hex text of a person under an input mask: additional
// field 1 (when active, 2 x its data length characters), the mask's default
// Firmenkennung, additional fields 2 and 3 (when active), the Ausweisnummer (its
// configured length), additional field 4 (when active). Each piece is cut or
// padded with leading "0" to its length.
std::string identification_text(const Personensatz& p, const Eingabesatz& mask);
// Packs a hex text two characters per byte, high nibble first, into `out`
// (at most `max` bytes; an odd last character is ignored). Returns the count, or
// -1 when the text holds a character that is not hexadecimal.
int pack_hex(const std::string& hex, std::uint8_t* out, int max);
// User-ID length U = (L1 + L2 + E1 + E2 + E3 + E4) / 2 of an input mask.
int user_id_length(const Eingabesatz& mask);

// ---------------------------------------------------------------- users
struct Usersatz {
  static constexpr int kSize = 90;
  static constexpr int kSlot = sealed_slot(kSize);  // 96
  std::array<std::uint8_t, kSize> b{};

  STORE_U32(nummer, 0)
  STORE_TEXT(name, 4, 20)
  STORE_TEXT(password, 24, 20)
  STORE_TEXT(previous_password, 44, 20)
  STORE_TEXT(change_date, 64, 10)  // "%02u%02u%04u" day, month, year
  STORE_U8(must_change, 74)
  STORE_BYTES(reserved, 75)  // 15 bytes
  bool used() const { return nummer() != 0; }
};

constexpr int kAdminRecord = 1;
constexpr int kLastUserRecord = 17;

// ---------------------------------------------------------------- configuration
struct Konfigsatz {
  static constexpr int kSize = 1932;
  static constexpr int kSlot = sealed_slot(kSize);  // 1936
  static constexpr int kOldSize = 1896;
  static constexpr int kOldSlot = sealed_slot(kOldSize);  // 1904
  std::array<std::uint8_t, kSize> b{};

  STORE_U16(reserved0, 0)
  STORE_U16(station_registered, 2)
  STORE_U16(station_connection, 4)  // 0 serial, otherwise TCP/IP
  STORE_U8(com_port, 6)
  STORE_U8(baud, 7)
  STORE_U16(wait_value, 8)
  STORE_TEXT(ip, 10, 20)
  STORE_U16(tcp_port, 30)
  STORE_TEXT(station_identity, 32, 22)
  STORE_TEXT(station_transponder, 54, 22)
  STORE_TEXT(release_info, 76, 6)
  STORE_U16(db_version, 88)
  STORE_BYTES(key3, 90)             // 16 bytes
  STORE_BYTES(check_key3, 106)      // 3 check bytes, then 0
  STORE_BYTES(admin_password, 110)  // 16 bytes
  STORE_BYTES(check_password, 126)
  STORE_BYTES(record_key_copy, 130)  // 16 bytes
  STORE_BYTES(check_record_key, 146)
  STORE_BYTES(key2_copy, 150)  // 16 bytes
  STORE_BYTES(check_key2, 166)
  STORE_TEXT(installation_number, 170, 20)
  // Export layout. Positions i = 0 to 9: field code, start (byte offset or
  // column) and length. The separator 0 means Tab.
  STORE_TEXT(export_path, 190, 512)
  STORE_U8(export_separator, 702)
  static constexpr int kExportSettingsSize = 80;
  STORE_BYTES(export_settings, 704)
  STORE_U16(export_header, 704)
  STORE_U8(export_header_as_length, 706)
  STORE_U8(export_start_length, 707)  // 1 start and length, 0 separator
  STORE_U8(export_cr, 708)
  STORE_U8(export_lf, 709)
  STORE_U16(export_set_length, 710)
  std::uint8_t export_code(int i) const { return get_u8(b.data(), 712 + i); }
  void set_export_code(int i, std::uint8_t v) { put_u8(b.data(), 712 + i, v); }
  std::int16_t export_start(int i) const { return get_i16(b.data(), 724 + 2 * i); }
  void set_export_start(int i, std::int16_t v) { put_i16(b.data(), 724 + 2 * i, v); }
  std::int16_t export_length(int i) const { return get_i16(b.data(), 744 + 2 * i); }
  void set_export_length(int i, std::int16_t v) { put_i16(b.data(), 744 + 2 * i, v); }
  STORE_U16(export_footer, 780)
  STORE_U8(export_footer_as_length, 782)
  STORE_U8(export_templates, 783)
  // Import layout, the same fields at their own offsets, and the start of the
  // template data (start-and-length mode with templates).
  static constexpr int kImportSettingsSize = 594;
  STORE_BYTES(import_settings, 784)  // begins with the import path
  STORE_TEXT(import_path, 784, 512)
  STORE_U8(import_separator, 1296)
  STORE_U16(import_header, 1298)
  STORE_U8(import_header_as_length, 1300)
  STORE_U8(import_start_length, 1301)
  STORE_U8(import_cr, 1302)
  STORE_U8(import_lf, 1303)
  STORE_U16(import_set_length, 1304)
  std::uint8_t import_code(int i) const { return get_u8(b.data(), 1306 + i); }
  void set_import_code(int i, std::uint8_t v) { put_u8(b.data(), 1306 + i, v); }
  std::int16_t import_start(int i) const { return get_i16(b.data(), 1318 + 2 * i); }
  void set_import_start(int i, std::int16_t v) { put_i16(b.data(), 1318 + 2 * i, v); }
  std::int16_t import_length(int i) const { return get_i16(b.data(), 1338 + 2 * i); }
  void set_import_length(int i, std::int16_t v) { put_i16(b.data(), 1338 + 2 * i, v); }
  std::int16_t import_template_start() const { return get_i16(b.data(), 1372); }
  void set_import_template_start(std::int16_t v) { put_i16(b.data(), 1372, v); }
  STORE_U16(import_footer, 1374)
  STORE_U8(import_footer_as_length, 1376)
  STORE_U8(import_templates, 1377)
  STORE_TEXT(backup_path, 1378, 512)
  STORE_TEXT(backup_stamp, 1890, 20)
  STORE_BYTES(backup_stamp_bytes, 1890)  // the stamp's raw 20 bytes
  STORE_TEXT(backup_transponder, 1910, 22)
};

constexpr int kCurrentDbVersion = 3;
constexpr int kKeyHeaderSize = 120;
constexpr int kKeyHeaderSlot = sealed_slot(kKeyHeaderSize);  // 128

}  // namespace store
