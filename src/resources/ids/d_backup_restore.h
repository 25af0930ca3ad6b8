// Control ids of D_BACKUP_RESTORE, backup and restore.
#pragma once

#include "resources/ids/common.h"

namespace res::d_backup_restore {

constexpr int kFileLabel = 100;
constexpr int kFile = 200;  // file name
constexpr int kSearch = 300;  // "search": the file dialog
constexpr int kTransponderLabel = 205;
constexpr int kTransponder = 210;  // read-only
constexpr int kReadCard = 250;  // "Reader"
constexpr int kStatus = 110;  // status line

}  // namespace res::d_backup_restore
