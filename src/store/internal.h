// Helpers shared by the store's own sources: paths, sealed slot transfers, the
// built-in key material and the filler of free records. Not for other folders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

namespace store::detail {

// Result codes of the path, open and positioning steps of one operation.
struct OpenCodes {
  int no_directory;  // no working directory
  int too_long;      // path longer than 512 characters
  int open;
  int seek;
};

// working directory + separator + name: 0, or the matching code of `codes`.
// While a change (store/commit.h) holds new contents for `name`, the path is
// that of its new file.
int build_path(const char* name, const OpenCodes& codes, std::string* path);
// `name`, or the name of its new file while a change holds new contents for it.
std::string pending_name(const char* name);
// Builds the path and opens the file (existing only, not shared) and positions
// at `offset`. 0 or a code of `codes`.
int open_at(const char* name, const OpenCodes& codes, bool write, std::int64_t offset,
            platform::File& f);

// Seals `size` record bytes with the record key in the two-byte form into `out`
// (resized to the slot). 0, -20 sealing gave nothing, -21 not `slot` bytes.
int seal_record(const std::uint8_t* rec, int size, int slot, std::vector<std::uint8_t>* out);
// Unseals `slot` bytes in place with key `key_slot`. 0, -11 check byte, -12
// length other than `size`. `produced` (optional) receives the stored length.
int unseal_record(std::uint8_t* sealed, int slot, int size, int key_slot = 0);

// Reads and unseals the record of `size` bytes at `offset`. 0, or -10 read,
// -11 check byte, -12 length.
int read_record(platform::File& f, int size, std::uint8_t* out);
// Seals and writes a record at the current position (the caller positioned the
// file at `offset`). When the write fails, the slot's previous bytes are written
// back so that the slot stays as it was. 0, -20, -21 sealing, -22 write, or
// `seek_code` when positioning fails.
int write_record(platform::File& f, std::int64_t offset, const std::uint8_t* rec, int size,
                 int seek_code);

// Writes all of `data`; false on an error or a short transfer.
bool write_all(platform::File& f, const void* data, std::size_t n);
// Reads exactly n bytes; false on an error or a short transfer.
bool read_all(platform::File& f, void* data, std::size_t n);

// Built-in key material, assembled at run time; the same in every version.
void builtin_key1(std::uint8_t out[16]);
void builtin_key2(std::uint8_t out[16]);
// The 120-byte template of the key header.
void header_template(std::uint8_t out[120]);
// Header position of copy c (0..2) of item i: items 0..15 are the record-key
// bytes, 16..19 the four check bytes.
int header_position(int item, int copy);
// Check byte j (0..3).
std::uint8_t check_byte(int j);
// The record key from an administrator password (its first 16 characters,
// each reduced by a per-position offset).
void derive_record_key(const std::string& password, std::uint8_t out[16]);
// Key 3 from the record key.
void derive_key3(const std::uint8_t key0[16], std::uint8_t out[16]);
// Default RF-ID key and the 16-byte module value of the input mask.
void default_rfid_key(std::uint8_t out[16]);
void default_rfid_value(std::uint8_t out[16]);

// Fills `width` bytes at `off` with filler text starting at filler position
// `start` (0..6), leaving the last byte zero.
void put_filler(std::uint8_t* rec, std::size_t off, std::size_t width, int start);
// The filler start for record `number` and field index `field`: 0..6.
int filler_start(int number, int field);

}  // namespace store::detail
