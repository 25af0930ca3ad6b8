// Control ids of D_EINGABE, the input mask.
#pragma once

#include "resources/ids/common.h"

namespace res::d_eingabe {

constexpr int kNameLength = 200;  // field lengths (label: id - 100)
constexpr int kFirstNameLength = 201;
constexpr int kPersonnelNumberLength = 202;
constexpr int kIdentificationLength = 203;
constexpr int kCompanyCodeLabel = 104;
constexpr int kCompanyCode = 204;
constexpr int kUserPinLength = 205;
constexpr int kWithFingerprint = 206;  // fingerprint settings (label: id - 100)
constexpr int kNumberFinger = 207;
constexpr int kMinQ = 208;
constexpr int kGoodQ = 209;
constexpr int kPinPlainText = 300;  // switches
constexpr int kPinManually = 301;
constexpr int kPinKeyboard = 302;
constexpr int kAssignFingerName = 303;
constexpr int kShowQValue = 304;
constexpr int kWriteOnTransponder = 305;
constexpr int kDistributeToReader = 306;
constexpr int kSaveInDatabase = 307;

}  // namespace res::d_eingabe
