#include "toolbridge/tool_error.h"

#include "failure/native_failure.h"

namespace toolbridge {

void RaiseToolError(std::int32_t code, std::initializer_list<const char*> args) { throw user_err_t(code, args); }

}  // namespace toolbridge
