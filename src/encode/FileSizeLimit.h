#pragma once

#include "common/Numbers.h"
#include "common/PhoneModel.h"

#include <QtGlobal>

// The largest file the model accepts, in bytes; 0 when the catalogue gives none.
inline qint64 fileSizeLimit(const PhoneModel& phone)
{
    return numbers::wholeNumber(phone.fileSize).value_or(0);
}
