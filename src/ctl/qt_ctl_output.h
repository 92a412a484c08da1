#pragma once

#include "ctl/json_value.h"

#include <QByteArray>

namespace orva {

// The object as one line of compact JSON, with its line end.
QByteArray jsonLine(const JsonValue& value);

} // namespace orva
