// Namespace rlink: "link" itself would collide with the POSIX function link().
//
// The reader link: frames, control sequences and deliveries (leser_komm), the
// answer polling (leser_funk), the fingerprint telegrams and the complete station
// and reader operations. Everything runs on the calling thread and blocks it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/records.h"

namespace rlink {

// Control bytes.
constexpr std::uint8_t SOH = 0x01, STX = 0x02, ETX = 0x03, ENQ = 0x05, ACK = 0x06, DLE = 0x10,
                       DC1 = 0x11, DC2 = 0x12, NAK = 0x15, ETB = 0x17;

constexpr int kMaxPayload = 3072;
constexpr int kSendBuffer = 2 * kMaxPayload + 6;  // stuffed worst case
constexpr int kPiece = 120;
constexpr int kFetchCapacity = 1025;
constexpr int kTextSize = 1024;  // delivered text, plus a terminating zero
constexpr int kLastDeliverySize = 100;
constexpr int kTemplateBuffer = 1010;
constexpr int kBlockSize = 200;  // answer blocks of the parameter reads

// A delivered text: up to 1024 bytes, always followed by a zero byte.
struct Text {
  std::array<std::uint8_t, kTextSize + 1> b{};
  int len = 0;
  void clear() { b.fill(0), len = 0; }
};

// A parameter set of a parameter file, sent as it stands (fewer than 149 bytes;
// an empty set ends the download).
using ParameterSet = std::vector<std::uint8_t>;
constexpr int kParameterSets = 10;

// Process-wide state of the link.
struct State {
  int via_tcp = 0;  // transport switch `link_via_tcp`: nonzero TCP/IP
  // Last-delivery text: a transponder number, serial number, CSN or record.
  std::array<std::uint8_t, kLastDeliverySize> last_delivery{};
  // Template buffers and what the answer decoder stored with them.
  std::array<std::uint8_t, kTemplateBuffer> template1{}, template2{};
  int template_len1 = 0, template_len2 = 0;
  int template_quality = 0;
  // Marks read by the answer decoder.
  int info_pending = 0, identify_pending = 0, enrol_mark = 0;
  std::string message;  // text the decoder placed last
  // Answer blocks of the parameter reads.
  std::array<std::uint8_t, kBlockSize> param_allg{}, param_1{}, param_rfid{};
  int hardware_type = 0;
  std::string serial_number;  // get_system_info, 20 hex characters
  std::string csn;            // read_csn, 20 hex characters
  std::string csn_answer;     // read_csn: the answer frame as it came, in hex ("" none)
  int templates_added = 0;    // add_template stored at least one group
  // The last parameter check updated set 1 in a way that deletes the reader's
  // data base (a new user-ID or PIN length, or a unit never configured).
  bool reader_data_deleted = false;
  // Called after each pause of an answer or delivery wait, so that a window
  // can repaint while an operation blocks (a capture, a keypad entry). Empty:
  // nothing is called.
  std::function<void()> between_polls;
  // While set, the operations show no boxes: their texts go to Log.txt
  // instead (removals retried without asking the operator).
  bool quiet = false;
};

State& state();
// Clears the link state (tests, and before a fresh start).
void reset_link();
// Makes `r` the current reader and sets the transport switch from it.
void select_reader(const store::Lesersatz& r);
// The last-delivery text up to its first zero byte.
std::string last_delivery();

// ------------------------------------------------------------ frames (leser_komm)
int send_frame(const std::uint8_t* payload, int length);
int receive_frame(std::uint8_t* buf, int capacity);
int wait_ack();
int send_ack();
int send_nak();
int leser_poll(int address);
void flush_input();
int daten_holen(int address, Text& text);
// Decodes a "Y" or "e" answer text in place (class at byte 1, code at byte 2).
void decode_answer(Text& text);
int l_zam_init(int address);

// ------------------------------------------------------------ polling (leser_funk)
int leser_funk_daten(int address);
int leser_funk_antwort(int address);

// ------------------------------------------------------------ telegrams
int read_hw_info(int address);
int get_system_info(int address);
int fp_parameter_reset(int address);
int fp_keyboard(int address, int pin_length, int time);
int read_csn(int address);
int fp_transparent(int address, int on);
int fp_add(int address, int group);
int fp_enrol(int address, int time, int second_buffer);
int fp_del_template(int address);
// fp_del_template for the given user ID bytes (at most 60).
int fp_del_user_id(int address, const std::uint8_t* id, int length);
int fp_del_template_all(int address);
int fp_led(int address, int colour, int mode, int flag);
int fp_change_bmode(int address, int mode);
int fp_get_parameter_allg(int address);
int fp_set_parameter_allg(int address, const std::uint8_t* block);
int fp_get_parameter_1(int address);
int fp_set_parameter_1(int address, const std::uint8_t* block);
int fp_get_parameter_2_3_4(int address, int set);
int fp_set_iversion(int address, const std::string& version);
int fp_load_parameter_set(int address, const std::uint8_t* set, int length);
int fp_write_card(int address, const std::uint8_t* data, int length);
int fp_write_card_16(int address, const std::uint8_t* data, int length);
int fp_write_card_6(int address, const std::uint8_t* data, int length);

// The user ID of the current person (store::db().person_read) under the input
// mask in use: packed into out (at most max bytes); the count.
int user_id(std::uint8_t* out, int max);

// ------------------------------------------------------------ operations
// Results shared by every operation; each operation adds codes of its own.
enum Result : int {
  kOk = 1,
  kComOpenFailed = -1,
  kTcpConnectFailed = -2,
  kNoSync = -3,                // l_zam_init did not answer with the address
  kTransparentOnFailed = -7,
  kTransparentOnAnswer = -8,   // the answer to transparent on was not ">"
  kTransparentOffFailed = -9,
  kTransparentOffAnswer = -10, // the answer to transparent off was not ">"
  kComCloseFailed = -29,
  kTcpCloseFailed = -30,
};

int enrol_init();
int parameter_reset(int address);
int enrol_transparent(int address, int on);
int enrol_wait_delivery(int address, int time_ms, int with_init);
int enrol_read_csn(int address, int time_ms);
int enrol_keyboard(int address, int time_ms);
int template_enrol(int address, int time_value);
int check_enrol_parameter();
int check_leser_parameter();
int load_enrol_parameter(const ParameterSet* sets);
int load_reader_parameter(const ParameterSet* sets);
int change_bmode(int mode);
int set_iversion(const std::string& version);
int del_template(int all);
// del_template for a user ID given as its bytes rather than the current
// person's (a removal the reader did not confirm earlier).
int del_user_id(const std::uint8_t* id, int length);
int add_template();
int write_card_data(int address, const std::uint8_t* data, int length);

}  // namespace rlink
