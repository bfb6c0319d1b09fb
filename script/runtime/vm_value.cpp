// Conversions between script values.
#include "script/runtime/vm_value.h"

#include "script/runtime/number_text.h"

void vm_value::assignOtherKeepExtra(const vm_value& v) {
  if (&v == this) return;
  if (v.type == OP_TYPE_STRING || v.type == OP_TYPE_HOST_CALL) {
    text = v.text;
  } else if (type == OP_TYPE_STRING || type == OP_TYPE_HOST_CALL) {
    releaseText();
  }
  type = v.type;
  intValue = v.intValue;
}

std::int32_t vm_value::asInt() const {
  switch (type) {
    case OP_TYPE_INT: return intValue;
    case OP_TYPE_FLOAT: return script::floatToInt(floatValue);
    case OP_TYPE_STRING: return script::textToInt(text);
    default: return 0;
  }
}

float vm_value::asFloat() const {
  switch (type) {
    case OP_TYPE_INT: return static_cast<float>(intValue);
    case OP_TYPE_FLOAT: return floatValue;
    case OP_TYPE_STRING: return script::textToFloat(text);
    default: return 0.0f;
  }
}

std::string vm_value::asText() const {
  switch (type) {
    case OP_TYPE_INT: return script::intToText(intValue);
    case OP_TYPE_FLOAT: return script::floatToText(floatValue);
    case OP_TYPE_STRING: return text;
    default: return std::string();
  }
}
