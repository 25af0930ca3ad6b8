// Block sealing: every stored record and every encrypted reader frame is padded,
// given a length field and a CRC-8 check byte, and enciphered with AES-128
// (electronic codebook, 16-byte blocks) under a key installed in a key slot.
#pragma once

#include <cstddef>
#include <cstdint>

namespace store {

constexpr int kKeySlots = 10;
constexpr int kKeyBytes = 16;

// Key slots by role.
constexpr int kSlotRecord = 0;   // record key: data files, Konfigsatz, reader link
constexpr int kSlotHeader = 1;   // seals the key header of Programm.cfg
constexpr int kSlotSecond = 2;   // second built-in key
constexpr int kSlotDerived = 3;  // derived from the record key
constexpr int kSlotBackup = 5;   // backup files
constexpr int kSlotSpare = 9;    // record key installed before the last load

enum class LengthForm { OneByte, TwoByte };

// Row `slot` of the key table: 16 key bytes followed by a zero byte.
std::uint8_t* key_row(int slot);
// Expands key-table row `slot` into key slot `slot` and switches the process-wide
// sealing form to two-byte (for good).
void install_key(int slot);
// The process-wide form: one-byte until the first install_key of the run.
LengthForm sealing_form();

// CRC-8, polynomial 0x1D, MSB first, start value 0x53, no reflection, no final XOR.
std::uint8_t crc8(const std::uint8_t* data, std::size_t n);
// Sealed size T of a payload of n bytes.
int sealed_size(int n, LengthForm form);

// Seals the first n bytes of buf in place (buf must hold sealed_size(n) bytes);
// returns T, or 0 when n is out of range (negative, or too long for the form).
int seal_encrypt(std::uint8_t* buf, int n, int slot, LengthForm form);
// Deciphers *len / 16 whole blocks in place and checks the CRC-8. Returns 0 and
// sets *len to the stored payload length on success; returns 1 and leaves *len
// unchanged on a check failure (or when fewer than one block is given).
int seal_decrypt(std::uint8_t* buf, int* len, int slot, LengthForm form);

// Clears the key table, the schedules and the form (tests).
void reset_keys();

}  // namespace store
