#include "platform/status/status.h"

#include <system_error>

namespace platform {

Status Status::PosixError(std::string_view context, int errnum) {
  std::string text = std::generic_category().message(errnum);
  if (!context.empty()) text = std::string(context) + ": " + text;
  return Status(Code::IoError, errnum, std::move(text));
}

Status Status::Corrupt(std::string message) {
  return Status(Code::Corrupt, 0, std::move(message));
}

Status Status::InvalidData(std::string message) {
  return Status(Code::InvalidData, 0, std::move(message));
}

Status Status::InvalidArgument(std::string message) {
  return Status(Code::InvalidArgument, 0, std::move(message));
}

Status Status::WithContext(std::string_view context) const {
  return WithMessage(std::string(context) + ": " + message_);
}

Status Status::WithMessage(std::string message) const {
  if (ok()) return *this;
  return Status(code_, errno_, std::move(message));
}

std::ostream& operator<<(std::ostream& out, const Status& status) {
  return out << (status.ok() ? std::string_view("ok") : std::string_view(status.message()));
}

}  // namespace platform
