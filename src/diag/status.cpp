#include "diag/status.h"

#include <cstdint>

#include "resources/catalogue.h"

namespace diag {
namespace {

struct StatusEntry {
  int code;
  res::TextId text;
};

constexpr StatusEntry kStatusTable[] = {
    {-99, res::ST_M99}, {-98, res::ST_M98}, {-46, res::ST_M46}, {-45, res::ST_M45},
    {-42, res::ST_M42}, {-41, res::ST_M41}, {-40, res::ST_M40}, {-36, res::ST_M36},
    {-35, res::ST_M35}, {-30, res::ST_M30}, {-29, res::ST_M29}, {-25, res::ST_M25},
    {-24, res::ST_M24}, {-23, res::ST_M23}, {-22, res::ST_M22}, {-21, res::ST_M21},
    {-20, res::ST_M20}, {-19, res::ST_M19}, {-18, res::ST_M18}, {-17, res::ST_M17},
    {-16, res::ST_M16}, {-15, res::ST_M15}, {-14, res::ST_M14}, {-13, res::ST_M13},
    {-12, res::ST_M12}, {-11, res::ST_M11}, {-10, res::ST_M10}, {-9, res::ST_M9},
    {-8, res::ST_M8},   {-7, res::ST_M7},   {-6, res::ST_M6},   {-5, res::ST_M5},
    {-4, res::ST_M4},   {-3, res::ST_M3},   {-2, res::ST_M2},   {-1, res::ST_M1},
    {3, res::ST_3},     {5, res::ST_5},     {7, res::ST_7},     {12, res::ST_12},
    {13, res::ST_13},   {14, res::ST_14},   {15, res::ST_15},   {48, res::ST_48},
    {49, res::ST_49},   {50, res::ST_50},   {51, res::ST_51},   {52, res::ST_52},
    {53, res::ST_53},   {54, res::ST_54},   {55, res::ST_55},   {56, res::ST_56},
    {57, res::ST_57},   {58, res::ST_58},   {59, res::ST_59},   {60, res::ST_60},
    {61, res::ST_61},   {62, res::ST_62},   {63, res::ST_63},   {64, res::ST_64},
    {65, res::ST_65},   {66, res::ST_66},   {67, res::ST_67},   {68, res::ST_68},
    {69, res::ST_69},   {70, res::ST_70},   {71, res::ST_71},   {72, res::ST_72},
    {73, res::ST_73},   {74, res::ST_74},   {75, res::ST_75},   {76, res::ST_76},
    {77, res::ST_77},   {78, res::ST_78},   {79, res::ST_79},   {80, res::ST_80},
    {81, res::ST_81},   {82, res::ST_82},   {83, res::ST_83},   {84, res::ST_84},
    {85, res::ST_85},   {86, res::ST_86},   {87, res::ST_87},   {88, res::ST_88},
};

std::string g_status;

}  // namespace

const std::string& status_text(int code) {
  // Codes are 16-bit values: a wider number is taken by its low 16 bits.
  const int code16 = static_cast<std::int16_t>(static_cast<std::uint16_t>(code));
  for (const StatusEntry& e : kStatusTable) {
    if (e.code == code16) {
      g_status = res::text(e.text);
      break;
    }
  }
  return g_status;
}

void reset_status_text() { g_status.clear(); }

}  // namespace diag
