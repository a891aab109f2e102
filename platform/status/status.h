// The result of an operation below the Win32 surface (the file system, the
// .reg reader and writer, the store's open and save): a code and the text
// that says what failed and where. A failed system call keeps its errno, so
// that the registry calls can turn it into their own error codes.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

class [[nodiscard]] Status {
 public:
  enum class Code {
    Ok,
    IoError,          // a system call failed; SystemError() is its errno
    Corrupt,          // stored text that does not read
    InvalidData,      // content that the stored form cannot hold
    InvalidArgument,  // a request that cannot be carried out as asked
  };

  // Success.
  Status() = default;

  // "context: " and the system's text for `errnum` (the text alone when
  // `context` is empty).
  static Status PosixError(std::string_view context, int errnum);
  static Status Corrupt(std::string message);
  static Status InvalidData(std::string message);
  static Status InvalidArgument(std::string message);

  bool ok() const { return code_ == Code::Ok; }
  Code code() const { return code_; }
  // The errno of an IoError; 0 otherwise.
  int SystemError() const { return errno_; }
  // Empty on success.
  const std::string& message() const { return message_; }

  // The same failure within a larger step: "context: message".
  Status WithContext(std::string_view context) const;
  // The same failure (code and errno) told by another text.
  Status WithMessage(std::string message) const;
  // Says that a failure is of no consequence here.
  void IgnoreError() const {}

  friend bool operator==(const Status&, const Status&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Status& status);

 private:
  Status(Code code, int errnum, std::string message)
      : code_(code), errno_(errnum), message_(std::move(message)) {}

  Code code_ = Code::Ok;
  int errno_ = 0;
  std::string message_;
};

}  // namespace platform
