// Control ids of D_PERSON, the person form.
#pragma once

#include "resources/ids/common.h"

namespace res::d_person {

constexpr int kNameLabel = 100;
constexpr int kFirstNameLabel = 101;
constexpr int kCompanyCodeLabel = 102;
constexpr int kPersonnelNumberLabel = 103;
constexpr int kIdentificationLabel = 104;
constexpr int kDigitsLabel = 105;  // "(%d digits)" beside the user PIN
constexpr int kUserPinLabel = 106;
constexpr int kField1Label = 120;
constexpr int kField2Label = 121;
constexpr int kField3Label = 122;
constexpr int kField4Label = 123;
constexpr int kName = 200;
constexpr int kFirstName = 201;
constexpr int kPersonnelNumber = 202;
constexpr int kCompanyCode = 203;  // read-only
constexpr int kIdentification = 204;  // Ausweisnummer
constexpr int kUserPin = 205;
constexpr int kReadCard = 250;  // "Leser": reads the transponder at the enrol station
constexpr int kInfoAccessReader = 260;  // "Info Access reader"
constexpr int kWriteOnTransponder = 300;
constexpr int kDistributeToReader = 301;
constexpr int kSaveInDatabase = 302;
constexpr int kTransponderRequired = 320;  // Combined Mode
constexpr int kPinRequired = 321;
constexpr int kFingerRequired = 322;
constexpr int kField1 = 400;
constexpr int kField2 = 401;
constexpr int kField3 = 402;
constexpr int kField4 = 403;
constexpr int kToTemplateData = 940;  // "To the\ntemplate data"

}  // namespace res::d_person
