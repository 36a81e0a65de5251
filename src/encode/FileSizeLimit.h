#pragma once

#include "common/PhoneModel.h"

#include <QtGlobal>

// The largest file the model accepts, in bytes; 0 when no model is chosen.
inline qint64 fileSizeLimit(const PhoneModel& phone)
{
    return phone.fileSize;
}
