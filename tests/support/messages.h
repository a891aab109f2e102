// Message sequences as window procedures receive them: a recorder that hooks
// the window system for as long as it lives, and named tables of expected
// messages compared entry by entry.
//
//   static const test::MessageSeq kClick[] = {
//       {WM_COMMAND, wparam, MAKEWPARAM(1013, BN_CLICKED)},
//       {WM_NOTIFY, wparam | notify | optional, 1002, 0, TCN_SELCHANGE},
//   };
//   test::MessageRecorder rec({parent}, test::kNotifications);
//   ... act ...
//   test::ExpectSequence(rec, kClick, "clicking the button");
//
// The hook sees sent and dispatched messages alike, so a table cannot tell
// them apart.
#pragma once

#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "platform/window/host.h"
#include "platform/wintypes.h"

namespace test {

// What an entry of a sequence table checks besides the message itself.
enum SeqFlag : unsigned {
  wparam = 1u << 0,    // wParam equals the entry's
  lparam = 1u << 1,    // lParam equals the entry's
  notify = 1u << 2,    // WM_NOTIFY: the header's notification code equals the entry's `code`
  optional = 1u << 3,  // the message may be missing here
};

// One expected message.
struct MessageSeq {
  UINT msg = 0;
  unsigned flags = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  UINT code = 0;
};

// A message as delivered, with what lParam points to decoded at delivery (the
// pointer is gone by the time a test looks).
struct Message {
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  UINT code = 0;        // WM_NOTIFY: the notification code
  HWND from = nullptr;  // WM_NOTIFY: the sender; WM_COMMAND, WM_*SCROLL: the control in lParam
  int pos = 0;          // UDN_DELTAPOS: iPos
  int delta = 0;        // UDN_DELTAPOS: iDelta
};

// The notifications a control sends its parent.
inline constexpr UINT kNotifications[] = {WM_NOTIFY, WM_COMMAND, WM_VSCROLL, WM_HSCROLL};

// Records the messages of the given kinds (all when none) delivered to the
// given windows (all when none) while it lives. One recorder at a time: the
// window system has one message hook.
class MessageRecorder {
 public:
  explicit MessageRecorder(std::vector<HWND> windows = {}, std::span<const UINT> kinds = {});
  MessageRecorder(std::vector<HWND> windows, std::initializer_list<UINT> kinds)
      : MessageRecorder(std::move(windows), std::span<const UINT>(kinds.begin(), kinds.size())) {}
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  const std::vector<Message>& Messages() const { return log_; }
  // The recorded messages of one kind, in order.
  std::vector<Message> Only(UINT msg) const;
  void Clear() { log_.clear(); }

 private:
  std::vector<HWND> windows_;
  std::vector<UINT> kinds_;
  std::vector<Message> log_;
};

inline constexpr std::span<const MessageSeq> kNoMessages{};

// Compares what `recorder` holds with `expected` (optional entries may be
// missing, flagged fields must match), reports each difference as a test
// failure naming `context`, and empties the recorder.
void ExpectSequence(MessageRecorder& recorder, std::span<const MessageSeq> expected,
                    std::string_view context);

}  // namespace test
